// The Caps Lock announcement: painted 700 ms after the poll that saw the key,
// erased 700 ms later, one at a time; and the test button that paints it at once.
#include "keymonitor/frm_osd.h"
#include "keymonitor/module1.h"

namespace lumio {

namespace {

std::string_view AnnouncementFor(Boolean capsLockOn) {
  return capsLockOn == kTrue ? "Caps Lock is ON" : "Caps Lock is OFF";
}

}  // namespace

void frmOSD::readLockStatus() {
  if (!LockReader) throw failures::ObjectNotSet();
  LockReader->GetLockStatus(CapsLockOn, NumLockOn, ScrollLockOn);
}

void frmOSD::TestCaps() {
  RunStep(FailedStep::IsSkipped, [this] { platform_.window.setTimerEnabled(TimerName::tmrRemoveText, true); });
  RunStep(FailedStep::IsSkipped, [this] { readLockStatus(); });
  paintAnnouncement(AnnouncementFor(CapsLockOn), bAllowShow == kTrue, FailedStep::IsSkipped);
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
  readLockStatus();
  paintAnnouncement(AnnouncementFor(CapsLockOn), true, FailedStep::GoesOn);
  platform_.window.setTimerEnabled(TimerName::tmrRemoveText, true);
}

}  // namespace lumio
