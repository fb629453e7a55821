// Fakes of everything else the platform gives, and one bundle of them all.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_window_system.h"
#include "fakes/standard_list_files.h"
#include "seam/failure.h"
#include "seam/platform.h"
#include "support/temp_folder.h"

namespace lumio::fakes {

class FakeKeyboard final : public KeyboardDevice {
 public:
  void open(NativeHandle window) override;
  void getState(KeyboardState& out) override;
  // Only with canTell set; otherwise it cannot tell, as most devices.
  bool unchangedSinceLastState() override { return canTell && !changed_; }
  void callOnChange(std::function<void()> changed) override { onChange_ = std::move(changed); }

  // A key going down or up is news, with canTell said at once.
  void press(int code) { set(code, 0x80); }
  void release(int code) { set(code, 0); }
  // The lock turned over with no key seen, as a keyboard light or the
  // compositor's lock state tells it: Caps Lock down in the next snapshot
  // only, news at once as a key is.
  void turnCapsLockOver();

  KeyboardState state{};
  bool canTell = false;
  std::optional<Failure> openFailure;
  std::optional<Failure> stateFailure;
  std::optional<NativeHandle> openedWith;
  int snapshots = 0;

 private:
  void set(int code, std::uint8_t value);
  bool changed_ = true;
  bool capsTurned_ = false;
  std::function<void()> onChange_;
};

class FakeLockKeys final : public LockKeySource {
 public:
  LockKeyState state(LockKey key) override;
  std::map<LockKey, LockKeyState> states;
  std::vector<LockKey> asked;
  // Breaks the source's promise never to fail, to try the announcement's
  // skipping of a failed step.
  bool fail = false;
};

struct DrawRecord {
  FontRequest font;
  std::int32_t x, y;
  Colour colour;
  std::string text;
};

class FakeScreen final : public ScreenSurface {
 public:
  void drawText(const FontRequest& font, std::int32_t x, std::int32_t y, Colour colour,
                std::string_view text) override;
  void repaintAll() override;
  // What would be visible: the draws since the last repaint.
  std::vector<DrawRecord> visible() const;
  std::vector<DrawRecord> draws;
  std::vector<std::size_t> repaintsAfterDraw;  // how many draws had happened at each repaint
  std::optional<Failure> drawFailure;
  std::optional<Failure> repaintFailure;
};

class FakeIcons final : public DesktopIcons {
 public:
  void setVisible(bool visible) override;
  bool present = true;
  bool visible = true;
  std::vector<bool> calls;
  std::optional<Failure> failure;
};

class FakeInstance final : public InstanceGuard {
 public:
  bool anotherInstanceRunning() override { return other; }
  bool other = false;
};

using TempFolder = testing::TempFolder;

class FakeEnvironment final : public ProgramEnvironment {
 public:
  std::filesystem::path programDirectory() override { return elsewhere.empty() ? folder.path() : elsewhere; }
  std::string decimalSeparator() override { return separator; }
  ListFileAccess& listFiles() override { return files; }
  TempFolder folder;
  StandardListFiles files;
  std::filesystem::path elsewhere;  // set to move the program somewhere else
  std::string separator = ".";
};

struct FakePlatform {
  FakeWindowSystem window;
  FakeKeyboard keyboard;
  FakeLockKeys lockKeys;
  FakeScreen screen;
  FakeIcons icons;
  FakeInstance instance;
  FakeEnvironment environment;

  Platform platform() { return {window, keyboard, lockKeys, screen, icons, instance, environment}; }
  std::filesystem::path listPath() const { return environment.folder.path() / "list.txt"; }
  // Both tell the list files it changed, as a watch on the folder would.
  void writeList(std::string_view bytes);
  void removeList();
  std::string readList() const;
};

std::string ReadFileBytes(const std::filesystem::path& file);

}  // namespace lumio::fakes
