// frmOSD, the main window: its handlers hold the program's behaviour. The
// handlers live with their subsystem: polling and startup here, the Caps
// Lock announcement in lockkeys/, the overlay buttons in overlay/.
#pragma once

#include <array>
#include <cstdint>
#include <exception>
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

class frmOSD final : public WindowEvents {
 public:
  explicit frmOSD(const Platform& platform);

  // Creates the window, loads it, shows it and runs it until the program
  // ends. Returns the process exit status. What the window system hands on
  // from an event comes out of here, after the desktop is given back.
  int run();

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

 private:
  // How a step meets a failure: TestCaps runs with failures ignored, so a
  // failing step is skipped and the next one runs; the buttons' handlers,
  // without a failure branch, let it go on up.
  enum class FailedStep { GoesOn, IsSkipped };
  template <class Step>
  static void RunStep(FailedStep failedStep, Step&& step) {
    if (failedStep == FailedStep::GoesOn) return step();
    try {
      step();
    } catch (const std::exception&) {
    }
  }

  void OpenKeyboardDevice();
  void RefreshKeyButtons();
  void CheckKey(std::int32_t keyCode);
  void TestCaps();

  const std::filesystem::path& keyListPath();
  void setKeyBackColor(std::int32_t index, Colour colour);
  void readLockStatus();
  // A fresh painter, bold with a 72-pixel cell, then the text in green at
  // (250, 300) when `show` holds.
  void paintAnnouncement(std::string_view text, bool show, FailedStep failedStep);
  void showLoadError(const Failure& failure);
  // Polling's rest (polling_rest.cpp): `failureShown` says the event just
  // handled opened a failure box.
  void wakePollingOnChanges();
  bool pollingMayRest(bool failureShown);
  void restPollingIfQuiet(bool failureShown);
  void reportUncaught(const Failure& failure);
  void endProgram();
  template <class Handler>
  void dispatch(Handler&& handler);

  const Platform platform_;
  KeyboardState KeyState{};
  std::int32_t KeyCode = 0;
  // KeyLine, kept in place: copying it is part of every line of every poll.
  std::array<char, kKeyLineKeptBytes> KeyLine{};
  std::size_t keyLineLength_ = 0;
  std::array<Colour, 256> keyBackColor_{};
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
  unsigned failureBoxesShown_ = 0;  // so far: whether an event opened one

  friend class RefreshAction;
};

// The maker's web address on the banner's last line, set at build time.
#ifndef LUMIO_WEBSITE
#define LUMIO_WEBSITE "https://www.example.com/lumio"
#endif
inline constexpr std::string_view kWebsite = LUMIO_WEBSITE;

}  // namespace lumio
