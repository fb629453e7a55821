// A part of a KWin session's screen as a binary PPM on standard output,
// through KWin's ScreenShot2 D-Bus interface, as grim gives it under sway:
//   kwin_screenshot X Y WIDTH HEIGHT
// KWin serves that interface only to a program named by a desktop entry
// that carries X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2.
#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

// The reply's a{sv}: the unsigned numbers in it, by name.
std::map<std::string, std::uint32_t> Numbers(sd_bus_message* reply) {
  std::map<std::string, std::uint32_t> numbers;
  if (sd_bus_message_enter_container(reply, 'a', "{sv}") < 0) return numbers;
  while (sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
    const char* key = nullptr;
    const char* type = nullptr;
    std::uint32_t value = 0;
    sd_bus_message_read(reply, "s", &key);
    if (sd_bus_message_peek_type(reply, nullptr, &type) >= 0 && type != nullptr && std::strcmp(type, "u") == 0 &&
        sd_bus_message_read(reply, "v", "u", &value) >= 0)
      numbers[key] = value;
    else
      sd_bus_message_skip(reply, "v");
    sd_bus_message_exit_container(reply);
  }
  return numbers;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s X Y WIDTH HEIGHT\n", argv[0]);
    return 1;
  }
  sd_bus* bus = nullptr;
  int pipeFds[2];
  if (sd_bus_open_user(&bus) < 0 || pipe2(pipeFds, O_CLOEXEC) != 0) return 1;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  const int called = sd_bus_call_method(bus, "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2",
                                        "CaptureArea", &error, &reply, "iiuua{sv}h", std::atoi(argv[1]),
                                        std::atoi(argv[2]), static_cast<std::uint32_t>(std::atoi(argv[3])),
                                        static_cast<std::uint32_t>(std::atoi(argv[4])), 0, pipeFds[1]);
  close(pipeFds[1]);
  if (called < 0) {
    std::fprintf(stderr, "ScreenShot2: %s\n", error.message != nullptr ? error.message : std::strerror(-called));
    return 1;
  }
  std::map<std::string, std::uint32_t> image = Numbers(reply);
  std::string data;
  char buffer[65536];
  for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    data.append(buffer, static_cast<std::size_t>(got));
  const std::uint32_t width = image["width"], height = image["height"], stride = image["stride"];
  // QImage's 32-bit formats (RGB32, ARGB32 and its premultiplied form) in
  // memory: blue, green, red, alpha.
  if (width == 0 || height == 0 || stride < width * 4 || data.size() < std::size_t{stride} * height ||
      (image["format"] < 4 || image["format"] > 6)) {
    std::fprintf(stderr, "ScreenShot2 gave no 32-bit image (%zu bytes, format %u)\n", data.size(), image["format"]);
    return 1;
  }
  std::printf("P6 %u %u 255\n", width, height);
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x) {
      const char* pixel = data.data() + std::size_t{y} * stride + std::size_t{x} * 4;
      std::putchar(pixel[2]);
      std::putchar(pixel[1]);
      std::putchar(pixel[0]);
    }
  sd_bus_message_unref(reply);
  sd_bus_unref(bus);
  return 0;
}
