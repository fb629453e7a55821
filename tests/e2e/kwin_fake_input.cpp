// Presses a key in a KWin session through its fake-input protocol
// (org_kde_kwin_fake_input), as a keyboard would:
//   kwin_fake_input CODE      press and release the key (evdev code)
// Exits 0 once KWin has taken the input, 1 when it cannot be given.
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
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CODE\n", argv[0]);
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
  const auto code = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
  org_kde_kwin_fake_input_keyboard_key(input, code, 1);
  wl_display_roundtrip(display);
  org_kde_kwin_fake_input_keyboard_key(input, code, 0);
  const bool taken = wl_display_roundtrip(display) >= 0;
  org_kde_kwin_fake_input_destroy(input);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return taken ? 0 : 1;
}
