#include "platform/linux/os/lights_watch.h"

#include <FL/Fl.H>

#include <utility>

namespace lumio::os {

LightsWatch::LightsWatch(std::filesystem::path folder, std::function<void(std::size_t)> sightChanged)
    : lights_(std::move(folder)), sightChanged_(std::move(sightChanged)) {
  events_ = LedEvents::Listen([this] { lookIntoFolder(); });
  lights_.capsLockChanged();  // the first reading only learns
  if (keyboards() > 0) {
    ticking_ = true;
    Fl::add_timeout(kEverySeconds, &OnTick, this);
  }
}

LightsWatch::~LightsWatch() { Fl::remove_timeout(&OnTick, this); }

bool LightsWatch::takeCapsLockTurn() { return std::exchange(turned_, false); }

void LightsWatch::OnTick(void* data) {
  auto& self = *static_cast<LightsWatch*>(data);
  // Rearmed first: a check that finds the last keyboard gone takes it away.
  if (self.ticking_) Fl::repeat_timeout(kEverySeconds, &OnTick, data);
  self.check(self.keyboards());
}

void LightsWatch::check(std::size_t before) {
  if (lights_.capsLockChanged()) {
    turned_ = true;
    if (onTurn_) onTurn_();
  }
  if (keyboards() != before) keyboardsCounted();
}

void LightsWatch::lookIntoFolder() {
  const std::size_t before = keyboards();
  lights_.lookIntoFolder();
  check(before);  // a new keyboard's first reading, before any turn of it
}

void LightsWatch::keyboardsCounted() {
  const bool see = keyboards() > 0;
  if (see == ticking_) return;
  ticking_ = see;
  if (see)
    Fl::add_timeout(kEverySeconds, &OnTick, this);
  else
    Fl::remove_timeout(&OnTick, this);
  if (sightChanged_) sightChanged_(keyboards());
}

}  // namespace lumio::os
