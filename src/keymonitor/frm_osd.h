// frmOSD, the main window: its handlers hold the program's behaviour. The
// handlers live with their subsystem: polling and startup here, the Caps
// Lock announcement in lockkeys/, the overlay buttons in overlay/.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "keymonitor/key_list.h"
#include "lockkeys/cls_keyboard.h"
#include "seam/basic_types.h"
#include "seam/failure.h"
#include "seam/platform.h"

namespace lumio {

namespace testing {
class FormTest;
}

class frmOSD final : public WindowEvents {
 public:
  explicit frmOSD(const Platform& platform);

  // Creates the window, loads it, shows it and runs it until the program
  // ends. Returns the process exit status. What the window system hands on
  // from an event comes out of here, after the desktop is given back.
  int Run();

  // Window events, each run to its end; a failure nobody catches is reported
  // and ends the program.
  void keyClicked(int index) override;
  void controlClicked(Control control) override;
  void timerTicked(TimerName timer) override;
  void programEnding() override;

  // Handlers, callable directly as operations.
  void Form_Load();
  void tmrAbout_Timer();
  void Timer1_Timer();
  void KEY_Click(std::int16_t index);
  void tmrTestCaps_Timer();
  void tmrRemoveText_Timer();
  void cmdCapNum_Click();
  void cmdShow_Click();
  void cmdRemove_Click();
  void cmdHideIcons_Click();
  void cmdShowicons_Click();

  // Polling steps, public so the benchmark can run one refresh alone.
  void OpenKeyboardDevice();
  void RefreshKeyButtons();

  const std::filesystem::path& KeyListPath();

 private:
  void CheckKey(std::int32_t keyCode);
  void TestCaps();
  void SetKeyBackColor(std::int32_t index, Colour colour);
  void ShowLoadError(const Failure& failure);
  void ReportUncaught(const Failure& failure);
  void EndProgram();
  template <class Handler>
  void Dispatch(Handler&& handler);

  const Platform platform_;
  KeyboardState keyState_{};
  std::array<Colour, 256> keyBackColor_{};
  std::int32_t keyCode_ = 0;
  // KeyLine, kept in place: copying it is part of every line of every poll.
  std::array<char, kKeyLineKeptBytes> keyLine_{};
  std::size_t keyLineLength_ = 0;
  std::filesystem::path keyListPath_;  // the program's folder does not move while it runs
  std::unique_ptr<clsKeyboard> LockReader;
  Boolean CapsLockOn = kFalse;
  Boolean NumLockOn = kFalse;
  Boolean ScrollLockOn = kFalse;

  bool failureBoxOpen_ = false;   // a refresh's failure message is on the screen
  bool uncaughtBoxOpen_ = false;  // the message of a failure that ends the program
  bool iconsHiddenByUs_ = false;  // to give them back on any way out
  bool overlayPainted_ = false;   // text of ours may still be on the screen
  bool ended_ = false;
  bool tidiedUp_ = false;
  int exitStatus_ = 0;

  friend class RefreshAction;
  friend class testing::FormTest;  // the tests read the last list line handled
};

// The maker's web address on the banner's last line, set at build time.
#ifndef LUMIO_WEBSITE
#define LUMIO_WEBSITE "https://www.example.com/lumio"
#endif
inline constexpr std::string_view kWebsite = LUMIO_WEBSITE;

}  // namespace lumio
