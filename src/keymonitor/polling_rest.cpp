// When the 20 ms refresh may rest. Fifty refreshes a second that find the
// same keys up in the same list change nothing but the battery, so Timer1
// rests while its next tick provably changes nothing, and whatever could
// change that wakes it at once. Decided here alone, at the end of every
// event the window handles, from what the window itself knows and what the
// keyboard and the list file can tell; a part that cannot tell keeps
// polling as it always did.
#include <algorithm>

#include "keymonitor/frm_osd.h"

namespace lumio {

void frmOSD::wakePollingOnChanges() {
  // A key, a keyboard plugged in, an edit of the list: the next refresh
  // would differ, so it comes at once and polling goes on from there.
  const auto wake = [&window = platform_.window] { window.setTimerResting(TimerName::Timer1, false); };
  platform_.keyboard.callOnChange(wake);
  platform_.environment.listFiles().callOnChange(wake);
}

bool frmOSD::pollingMayRest(bool failureShown) {
  // While a refresh's failure box is open, ticks start no refresh. The box
  // closes inside the event that opened it, which decides again then.
  if (failureBoxOpen_) return true;
  // The failure is still there: the next refresh reports it again.
  if (failureShown) return false;
  // A key seen down is seen again on every tick: a held Caps Lock must keep
  // restarting tmrTestCaps until the first tick that finds it up.
  if (std::any_of(KeyState.begin(), KeyState.end(), [](std::uint8_t key) { return key != 0; })) return false;
  return platform_.keyboard.unchangedSinceLastState() && platform_.environment.listFiles().unchangedSinceLastOpen();
}

void frmOSD::restPollingIfQuiet(bool failureShown) {
  platform_.window.setTimerResting(TimerName::Timer1, pollingMayRest(failureShown));
}

}  // namespace lumio
