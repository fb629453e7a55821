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

struct Reading {
  bool readable;
  std::optional<bool> lit;
};

// One read from the start of the file: no seek, and whatever the last
// read left behind does not matter. The kernel fails it once the keyboard
// is gone.
Reading ReadLight(int fd) {
  char text[32];
  const ssize_t got = pread(fd, text, sizeof text, 0);
  if (got < 0) return {false, std::nullopt};
  return {true, LightFromText(text, static_cast<std::size_t>(got))};
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

KeyboardLights::KeyboardLights(std::filesystem::path folder) : folder_(std::move(folder)) { lookIntoFolder(); }

KeyboardLights::~KeyboardLights() {
  for (const Light& light : lights_) close(light.fd);
}

void KeyboardLights::lookIntoFolder() {
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
    found.push_back({entry, *key, fd, opened.st_dev, opened.st_ino, std::nullopt, std::nullopt, false});
  }
  for (const Light& gone : lights_) close(gone.fd);
  lights_ = std::move(found);
}

bool KeyboardLights::capsLockChanged() {
  for (Light& light : lights_) {
    if (light.key != LockKey::Caps) continue;
    const Reading reading = ReadLight(light.fd);
    light.gone = !reading.readable;
    light.readNow = reading.lit;
  }
  // A keyboard that came to agree with all the others, as they were before
  // this check, is catching up; a lock turned over turns them all.
  const auto catchingUp = [this](const Light& turned) {
    bool others = false;
    for (const Light& light : lights_) {
      if (&light == &turned || light.key != LockKey::Caps || !light.lastLit) continue;
      if (*light.lastLit != *turned.readNow) return false;
      others = true;
    }
    return others;
  };
  bool changed = false;
  for (const Light& light : lights_)
    if (light.key == LockKey::Caps && light.readNow && light.lastLit && *light.lastLit != *light.readNow)
      changed = changed || !catchingUp(light);
  for (Light& light : lights_) {
    if (light.readNow) light.lastLit = light.readNow;
    if (light.gone) close(light.fd);
  }
  std::erase_if(lights_, [](const Light& light) { return light.gone; });
  return changed;
}

std::optional<bool> KeyboardLights::lit(LockKey key) {
  std::optional<bool> any;
  for (const Light& light : lights_) {
    if (light.key != key) continue;
    if (const std::optional<bool> lit = ReadLight(light.fd).lit) any = any.value_or(false) || *lit;
  }
  return any;
}

// A device has one entry of each name, so one Caps Lock light per keyboard.
std::size_t KeyboardLights::keyboardsWithCapsLockLight() const {
  return static_cast<std::size_t>(
      std::count_if(lights_.begin(), lights_.end(), [](const Light& light) { return light.key == LockKey::Caps; }));
}

}  // namespace lumio::os
