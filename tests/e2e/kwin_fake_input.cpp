// Presses keys and clicks in a KWin session through its fake-input
// protocol (org_kde_kwin_fake_input), as a keyboard or a mouse would:
//   kwin_fake_input key CODE      press and release the key (evdev code)
//   kwin_fake_input click X Y     move the pointer there and click the left button
// Exits 0 once KWin has taken the input, 1 when it cannot be given.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fake-input-client-protocol.h"

namespace {

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
  if (std::string_view(interface) == org_kde_kwin_fake_input_interface.name && version >= 4)
    *static_cast<org_kde_kwin_fake_input**>(data) =
        static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view what = argc > 1 ? argv[1] : "";
  if (!((what == "key" && argc == 3) || (what == "click" && argc == 4))) {
    std::fprintf(stderr, "usage: %s key CODE | click X Y\n", argv[0]);
    return 1;
  }
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return 1;
  org_kde_kwin_fake_input* input = nullptr;
  const wl_registry_listener listener{&OnGlobal, &OnGlobalRemove};
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &input);
  wl_display_roundtrip(display);
  if (input == nullptr) {
    std::fprintf(stderr, "KWin offers no org_kde_kwin_fake_input (version 4)\n");
    return 1;
  }
  org_kde_kwin_fake_input_authenticate(input, "lumio tests", "pressing keys as a keyboard would");
  if (what == "key") {
    const auto code = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
    org_kde_kwin_fake_input_keyboard_key(input, code, 1);
    wl_display_roundtrip(display);
    org_kde_kwin_fake_input_keyboard_key(input, code, 0);
  } else {
    org_kde_kwin_fake_input_pointer_motion_absolute(input, wl_fixed_from_int(std::atoi(argv[2])),
                                                    wl_fixed_from_int(std::atoi(argv[3])));
    org_kde_kwin_fake_input_button(input, BTN_LEFT, 1);
    org_kde_kwin_fake_input_button(input, BTN_LEFT, 0);
  }
  const bool taken = wl_display_roundtrip(display) >= 0;
  org_kde_kwin_fake_input_destroy(input);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return taken ? 0 : 1;
}
