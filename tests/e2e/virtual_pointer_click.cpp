// Clicks the left button at one point of a Wayland session, through the
// compositor's virtual pointer (zwlr_virtual_pointer_v1, as sway offers):
//   virtual_pointer_click X Y WIDTH HEIGHT
// where WIDTH by HEIGHT is the whole of the session's outputs, then moves
// the pointer to the bottom-right corner, where its picture hides nothing
// that screenshots look at. Exits 0 once the compositor has taken the
// click, 1 when it cannot be given.
//   virtual_pointer_click hold
// keeps a pointer on the seat until it is ended. Programs bind the seat's
// pointer only once the seat has one: a pointer made for one click and
// gone with it would click for nobody.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct Globals {
  zwlr_virtual_pointer_manager_v1* pointers = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
  if (std::string_view(interface) == zwlr_virtual_pointer_manager_v1_interface.name)
    static_cast<Globals*>(data)->pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

}  // namespace

int main(int argc, char** argv) {
  const bool hold = argc == 2 && std::string_view(argv[1]) == "hold";
  if (argc != 5 && !hold) {
    std::fprintf(stderr, "usage: %s X Y WIDTH HEIGHT | hold\n", argv[0]);
    return 1;
  }
  const auto number = [&](int i) { return static_cast<std::uint32_t>(std::strtoul(argv[i], nullptr, 10)); };
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "no Wayland compositor answers\n");
    return 1;
  }
  Globals globals;
  const wl_registry_listener listener{&OnGlobal, &OnGlobalRemove};
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &globals);
  wl_display_roundtrip(display);
  if (globals.pointers == nullptr) {
    std::fprintf(stderr, "the compositor offers no zwlr_virtual_pointer_manager_v1\n");
    wl_display_disconnect(display);
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.pointers, nullptr);
  if (hold) {
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;  // the compositor went away
  }
  std::uint32_t time = 1;
  zwlr_virtual_pointer_v1_motion_absolute(pointer, time++, number(1), number(2), number(3), number(4));
  zwlr_virtual_pointer_v1_frame(pointer);
  for (const std::uint32_t state : {1u, 0u}) {
    zwlr_virtual_pointer_v1_button(pointer, time++, BTN_LEFT, state);
    zwlr_virtual_pointer_v1_frame(pointer);
  }
  zwlr_virtual_pointer_v1_motion_absolute(pointer, time++, number(3) - 1, number(4) - 1, number(3), number(4));
  zwlr_virtual_pointer_v1_frame(pointer);
  const bool taken = wl_display_roundtrip(display) >= 0;
  zwlr_virtual_pointer_v1_destroy(pointer);
  zwlr_virtual_pointer_manager_v1_destroy(globals.pointers);
  wl_registry_destroy(registry);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return taken ? 0 : 1;
}
