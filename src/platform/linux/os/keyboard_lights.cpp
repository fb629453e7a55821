#include "platform/linux/os/keyboard_lights.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>
#include <system_error>
#include <utility>

namespace lumio::os {

namespace {

struct LightName {
  std::string_view suffix;
  LockKey key;
};
constexpr LightName kLightNames[] = {
    {"::capslock", LockKey::Caps}, {"::numlock", LockKey::Num}, {"::scrolllock", LockKey::Scroll}};

std::optional<LockKey> KeyOfEntry(std::string_view entry) {
  for (const LightName& name : kLightNames)
    if (entry.size() > name.suffix.size() && entry.ends_with(name.suffix)) return name.key;
  return std::nullopt;
}

// One read from the start of the file: no seek, and whatever the last
// read left behind does not matter.
std::optional<bool> ReadLight(int fd) {
  char text[32];
  const ssize_t got = pread(fd, text, sizeof text, 0);
  if (got <= 0) return std::nullopt;
  return LightFromText(text, static_cast<std::size_t>(got));
}

}  // namespace

std::optional<bool> LightFromText(const char* text, std::size_t length) {
  if (length > 0 && text[length - 1] == '\n') --length;
  if (length == 0) return std::nullopt;
  bool lit = false;
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    lit = lit || text[i] != '0';
  }
  return lit;
}

KeyboardLights::KeyboardLights(std::filesystem::path folder, Clock::time_point now) : folder_(std::move(folder)) {
  lookIntoFolder(now);
}

KeyboardLights::~KeyboardLights() {
  for (const Light& light : lights_) close(light.fd);
}

void KeyboardLights::lookIntoFolder(Clock::time_point now) {
  lookedAt_ = now;
  std::vector<Light> found;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
    const std::string entry = it->path().filename().string();
    const std::optional<LockKey> key = KeyOfEntry(entry);
    if (!key) continue;
    const std::string file = (it->path() / "brightness").string();
    struct stat status{};
    if (stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) continue;
    // The light we already read, unless the entry now leads to another file.
    const auto known = std::find_if(lights_.begin(), lights_.end(), [&](const Light& light) {
      return light.entry == entry && light.device == status.st_dev && light.inode == status.st_ino;
    });
    if (known != lights_.end()) {
      found.push_back(*known);
      lights_.erase(known);
      continue;
    }
    // Never blocks, even on a pipe put in the file's place since the stat.
    const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) continue;
    struct stat opened{};
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
      close(fd);
      continue;
    }
    found.push_back({entry, *key, fd, opened.st_dev, opened.st_ino, std::nullopt});
  }
  for (const Light& gone : lights_) close(gone.fd);
  lights_ = std::move(found);
}

bool KeyboardLights::capsLockChanged(Clock::time_point now) {
  if (now - lookedAt_ >= kLookAgainAfter) lookIntoFolder(now);
  bool changed = false;
  for (Light& light : lights_) {
    if (light.key != LockKey::Caps) continue;
    const std::optional<bool> lit = ReadLight(light.fd);
    if (!lit) continue;
    changed = changed || (light.lastLit && *light.lastLit != *lit);
    light.lastLit = lit;
  }
  return changed;
}

std::optional<bool> KeyboardLights::lit(LockKey key) {
  std::optional<bool> any;
  for (const Light& light : lights_) {
    if (light.key != key) continue;
    if (const std::optional<bool> lit = ReadLight(light.fd)) any = any.value_or(false) || *lit;
  }
  return any;
}

// A device has one entry of each name, so one Caps Lock light per keyboard.
std::size_t KeyboardLights::keyboardsWithCapsLockLight() const {
  return static_cast<std::size_t>(
      std::count_if(lights_.begin(), lights_.end(), [](const Light& light) { return light.key == LockKey::Caps; }));
}

}  // namespace lumio::os
