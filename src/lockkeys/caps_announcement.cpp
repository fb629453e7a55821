// The Caps Lock announcement: painted 700 ms after the poll that saw the key,
// erased 700 ms later, one at a time; and the test button that paints it at once.
#include <exception>

#include "keymonitor/frm_osd.h"
#include "keymonitor/module1.h"
#include "overlay/cosd.h"

namespace lumio {

namespace {

constexpr std::string_view kCapsOn = "Caps Lock is ON";
constexpr std::string_view kCapsOff = "Caps Lock is OFF";

// Each step of the announcement run is on its own: a failing one is skipped.
template <class Step>
void Try(Step&& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

}  // namespace

void frmOSD::TestCaps() {
  Try([this] { platform_.window.setTimerEnabled(TimerName::tmrRemoveText, true); });
  Try([this] {
    if (!LockReader) throw failures::ObjectNotSet();
    LockReader->GetLockStatus(CapsLockOn, NumLockOn, ScrollLockOn);
  });
  const std::string_view text = CapsLockOn == kTrue ? kCapsOn : kCapsOff;
  cOSD painter(platform_.screen);
  Try([&] { painter.Font()->Bold(kOverlayBold); });
  Try([&] { painter.Font()->Size(kAnnouncementSize); });
  Try([&] {
    if (bAllowShow == kTrue) {
      overlayPainted_ = true;
      painter.ShowText(text, kAnnouncementTop, kOverlayLeft, kOverlayColour);
    }
  });
  bAllowShow = kFalse;
}

void frmOSD::tmrTestCaps_Timer() {
  TestCaps();
  platform_.window.setTimerEnabled(TimerName::tmrTestCaps, false);
}

void frmOSD::tmrRemoveText_Timer() {
  cmdRemove_Click();
  bAllowShow = kTrue;
  platform_.window.setTimerEnabled(TimerName::tmrRemoveText, false);
}

void frmOSD::cmdCapNum_Click() {
  if (!LockReader) throw failures::ObjectNotSet();
  LockReader->GetLockStatus(CapsLockOn, NumLockOn, ScrollLockOn);
  const std::string_view text = CapsLockOn == kTrue ? kCapsOn : kCapsOff;
  cOSD painter(platform_.screen);
  painter.Font()->Bold(kOverlayBold);
  painter.Font()->Size(kAnnouncementSize);
  overlayPainted_ = true;
  painter.ShowText(text, kAnnouncementTop, kOverlayLeft, kOverlayColour);
  platform_.window.setTimerEnabled(TimerName::tmrRemoveText, true);
}

}  // namespace lumio
