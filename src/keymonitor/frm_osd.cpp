#include "keymonitor/frm_osd.h"

#include <exception>

#include "keymonitor/error_messages.h"
#include "keymonitor/form_layout.h"
#include "keymonitor/key_list.h"
#include "keymonitor/module1.h"
#include "overlay/cosd.h"

namespace lumio {

namespace {

struct BannerLine {
  std::string_view text;
  std::int32_t top;
};

}  // namespace

frmOSD::frmOSD(const Platform& platform) : platform_(platform) {
  for (const KeyDesc& key : frmOSDLayout().keys) keyBackColor_[static_cast<std::size_t>(key.index)] = key.backColor;
  wakePollingOnChanges();
}

const std::filesystem::path& frmOSD::keyListPath() {
  if (keyListPath_.empty()) keyListPath_ = platform_.environment.programDirectory() / kKeyListName;
  return keyListPath_;
}

int frmOSD::run() {
  platform_.window.createWindow(frmOSDLayout(), *this);
  dispatch([this] { Form_Load(); });
  if (!ended_) {
    platform_.window.showWindow();
    try {
      platform_.window.runEventLoop();
    } catch (...) {
      // Whatever the window system hands on from an event: the desktop is
      // given back before the program's entry point reports it.
      programEnding();
      throw;
    }
  }
  programEnding();
  return exitStatus_;
}

template <class Handler>
void frmOSD::dispatch(Handler&& handler) {
  // Nothing runs once the program has been told to end, nor while the box
  // that says why is still open: ticks delivered by its nested loop would
  // otherwise stack another box on it, or end the program under it.
  if (ended_ || uncaughtBoxOpen_) return;
  const unsigned boxesBefore = failureBoxesShown_;
  try {
    handler();
  } catch (const Failure& failure) {
    reportUncaught(failure);
  } catch (const std::exception& error) {
    reportUncaught(Failure(51, std::string("Internal error: ") + error.what()));
  }
  // Whatever the event did, it may have ended or allowed polling's rest.
  if (!ended_) restPollingIfQuiet(failureBoxesShown_ != boxesBefore);
}

void frmOSD::keyClicked(int index) {
  dispatch([this, index] { KEY_Click(static_cast<std::int16_t>(index)); });
}

void frmOSD::controlClicked(Control control) {
  dispatch([this, control] {
    switch (control) {
      case Control::cmdShow: cmdShow_Click(); break;
      case Control::cmdRemove: cmdRemove_Click(); break;
      case Control::cmdCapNum: cmdCapNum_Click(); break;
      case Control::cmdHideIcons: cmdHideIcons_Click(); break;
      case Control::cmdShowicons: cmdShowicons_Click(); break;
      case Control::Text1: break;
    }
  });
}

void frmOSD::timerTicked(TimerName timer) {
  dispatch([this, timer] {
    switch (timer) {
      case TimerName::tmrAbout: tmrAbout_Timer(); break;
      case TimerName::Timer1: Timer1_Timer(); break;
      case TimerName::tmrTestCaps: tmrTestCaps_Timer(); break;
      case TimerName::tmrRemoveText: tmrRemoveText_Timer(); break;
    }
  });
}

void frmOSD::reportUncaught(const Failure& failure) {
  exitStatus_ = 1;
  uncaughtBoxOpen_ = true;
  try {
    platform_.window.messageBox(UncaughtErrorText(failure), MessageIcon::Stop, kAppTitle);
  } catch (...) {  // nothing left to report with; end anyway
  }
  uncaughtBoxOpen_ = false;
  endProgram();
}

void frmOSD::endProgram() {
  ended_ = true;
  platform_.window.endProgram();
}

// Whatever way the program goes, a user must not be left without desktop
// icons or with our text stuck on the screen.
void frmOSD::programEnding() {
  if (tidiedUp_) return;
  tidiedUp_ = true;
  try {
    if (iconsHiddenByUs_) cmdShowicons_Click();
    if (overlayPainted_) cmdRemove_Click();
  } catch (...) {  // best effort on the way out
  }
}

void frmOSD::showLoadError(const Failure& failure) {
  failureBoxOpen_ = true;
  ++failureBoxesShown_;
  try {
    platform_.window.messageBox(LoadErrorText(failure), MessageIcon::Information, kAppTitle);
  } catch (...) {
    failureBoxOpen_ = false;
    throw;
  }
  failureBoxOpen_ = false;
}

void frmOSD::Form_Load() {
  // Checked before anything else: a second copy leaves no trace at all.
  if (platform_.instance.anotherInstanceRunning()) {
    endProgram();
    return;
  }
  try {
    bAllowShow = kTrue;
    OpenKeyboardDevice();
    LockReader = std::make_unique<clsKeyboard>(platform_.lockKeys);
    cmdHideIcons_Click();

    static constexpr BannerLine kLines[] = {
        {"Displays the Caps-Lock status on screen.", 340},
        {"Press Caps Lock at any time to see it here.", 360},
        {"Version: 1.1.5", 380},
    };
    cOSD banner(platform_.screen);
    banner.Font()->Bold(kOverlayBold);
    banner.Font()->Size(32 * StdFont::kSizeScale);
    overlayPainted_ = true;
    banner.ShowText("About: Lumio", 300, kOverlayLeft, kOverlayColour);
    banner.Font()->Size(20 * StdFont::kSizeScale);
    for (const BannerLine& line : kLines) banner.ShowText(line.text, line.top, kOverlayLeft, kOverlayColour);
    banner.ShowText(std::string("Visit our website: ").append(kWebsite), 400, kOverlayLeft, kOverlayColour);
  } catch (const Failure& failure) {
    if (failure.number() == failures::kFileNotFound) {
      // Only reached when something the load needs is missing; a list the
      // user already has is theirs and stays.
      WriteDefaultKeyList(platform_.environment.listFiles(), keyListPath());
    } else {
      showLoadError(failure);
    }
  }
}

void frmOSD::tmrAbout_Timer() {
  cOSD(platform_.screen).RemoveText();
  overlayPainted_ = false;
  cmdShowicons_Click();
  platform_.window.setTimerEnabled(TimerName::tmrAbout, false);
  platform_.window.setTimerEnabled(TimerName::Timer1, true);
}

}  // namespace lumio
