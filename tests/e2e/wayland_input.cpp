// Input for the tests' Wayland sessions, given as a device gives it:
//   wayland_input click X Y WIDTH HEIGHT
// clicks the left button at one point through the compositor's virtual
// pointer (zwlr_virtual_pointer_v1, as sway offers), WIDTH by HEIGHT being
// the whole of the session's outputs, then moves the pointer to the
// bottom-right corner, where its picture hides nothing that screenshots
// look at.
//   wayland_input hold
// keeps a virtual pointer on the seat until it is ended. Programs bind the
// seat's pointer only once the seat has one: a pointer made for one click
// and gone with it would click for nobody.
//   wayland_input key CODE
// presses and releases a key (evdev code) through KWin's fake input
// (org_kde_kwin_fake_input), as a keyboard would.
// Exits 0 once the compositor has taken the input, 1 when it cannot be given.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fake-input-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct Globals {
  zwlr_virtual_pointer_manager_v1* pointers = nullptr;
  org_kde_kwin_fake_input* fakeInput = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
  auto* globals = static_cast<Globals*>(data);
  if (std::string_view(interface) == zwlr_virtual_pointer_manager_v1_interface.name)
    globals->pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  if (std::string_view(interface) == org_kde_kwin_fake_input_interface.name && version >= 4)
    globals->fakeInput =
        static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (!(mode == "click" && argc == 6) && !(mode == "hold" && argc == 2) && !(mode == "key" && argc == 3)) {
    std::fprintf(stderr, "usage: %s click X Y WIDTH HEIGHT | hold | key CODE\n", argv[0]);
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
  wl_registry_add_listener(wl_display_get_registry(display), &listener, &globals);
  wl_display_roundtrip(display);
  if (mode == "key") {
    if (globals.fakeInput == nullptr) {
      std::fprintf(stderr, "the compositor offers no org_kde_kwin_fake_input (version 4)\n");
      return 1;
    }
    org_kde_kwin_fake_input_authenticate(globals.fakeInput, "lumio tests", "pressing keys as a keyboard would");
    org_kde_kwin_fake_input_keyboard_key(globals.fakeInput, number(2), 1);
    wl_display_roundtrip(display);
    org_kde_kwin_fake_input_keyboard_key(globals.fakeInput, number(2), 0);
  } else {
    if (globals.pointers == nullptr) {
      std::fprintf(stderr, "the compositor offers no zwlr_virtual_pointer_manager_v1\n");
      return 1;
    }
    zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.pointers, nullptr);
    if (mode == "hold") {
      while (wl_display_dispatch(display) >= 0) {
      }
      return 0;  // the compositor went away
    }
    std::uint32_t time = 1;
    zwlr_virtual_pointer_v1_motion_absolute(pointer, time++, number(2), number(3), number(4), number(5));
    zwlr_virtual_pointer_v1_frame(pointer);
    for (const std::uint32_t state : {1u, 0u}) {
      zwlr_virtual_pointer_v1_button(pointer, time++, BTN_LEFT, state);
      zwlr_virtual_pointer_v1_frame(pointer);
    }
    zwlr_virtual_pointer_v1_motion_absolute(pointer, time++, number(4) - 1, number(5) - 1, number(4), number(5));
    zwlr_virtual_pointer_v1_frame(pointer);
  }
  const bool taken = wl_display_roundtrip(display) >= 0;
  wl_display_disconnect(display);  // the compositor drops whatever this client made
  return taken ? 0 : 1;
}
