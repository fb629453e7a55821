#include "fakes/fake_platform.h"

#include <fstream>
#include <iterator>
#include <utility>

namespace lumio::fakes {

void FakeKeyboard::open(NativeHandle window) {
  if (openFailure) throw *openFailure;
  openedWith = window;
}

void FakeKeyboard::getState(KeyboardState& out) {
  ++snapshots;
  changed_ = false;
  if (stateFailure) throw *stateFailure;
  if (!openedWith) throw failures::ObjectNotSet();
  out = state;
  if (std::exchange(capsTurned_, false)) out[kCapsLockCode] = 0x80;
}

void FakeKeyboard::turnCapsLockOver() {
  capsTurned_ = true;
  changed_ = true;
  if (canTell && onChange_) onChange_();
}

void FakeKeyboard::set(int code, std::uint8_t value) {
  state[static_cast<std::size_t>(code)] = value;
  changed_ = true;
  if (canTell && onChange_) onChange_();
}

LockKeyState FakeLockKeys::state(LockKey key) {
  asked.push_back(key);
  if (fail) throw Failure(-2147467259, "Unspecified error");
  const auto found = states.find(key);
  return found == states.end() ? LockKeyState{} : found->second;
}

void FakeScreen::drawText(const FontRequest& font, std::int32_t x, std::int32_t y, Colour colour,
                          std::string_view text) {
  if (drawFailure) throw *drawFailure;
  draws.push_back({font, x, y, colour, std::string(text)});
}

void FakeScreen::repaintAll() {
  if (repaintFailure) throw *repaintFailure;
  repaintsAfterDraw.push_back(draws.size());
}

std::vector<DrawRecord> FakeScreen::visible() const {
  const std::size_t from = repaintsAfterDraw.empty() ? 0 : repaintsAfterDraw.back();
  return {draws.begin() + static_cast<std::ptrdiff_t>(from), draws.end()};
}

void FakeIcons::setVisible(bool show) {
  if (failure) throw *failure;
  calls.push_back(show);
  if (present) visible = show;
}

void FakePlatform::writeList(std::string_view bytes) {
  {
    std::ofstream out(listPath(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  environment.files.markChanged();
}

void FakePlatform::removeList() {
  std::filesystem::remove(listPath());
  environment.files.markChanged();
}

std::string FakePlatform::readList() const { return ReadFileBytes(listPath()); }

std::string ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace lumio::fakes
