// Key taps shorter than a poll (XTest, remote desktops, KVM switches, macro
// keys): a press seen in the raw events counts for the next poll even if
// the key is up again by then.
#include "backend_fixture.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdint>
#include <iostream>
#include <thread>

#include "platform/linux/x11/key_codes.h"
#include "platform/linux/x11/raw_key_events.h"
#include "support/x_screen.h"

namespace lumio::x11::testing {
namespace {

using namespace std::chrono_literals;
using lumio::testing::WaitUntil;
using lumio::testing::XScreen;

// Press and release with nothing between them: both reach the server in one
// go, long before the next poll.
void TapAtOnce(XScreen& xs, KeySym keysym) {
  const unsigned keycode = XKeysymToKeycode(xs.display(), keysym);
  XTestFakeKeyEvent(xs.display(), keycode, True, CurrentTime);
  XTestFakeKeyEvent(xs.display(), keycode, False, CurrentTime);
  xs.sync();
}

class QuickTapTest : public BackendTest {};

TEST_F(QuickTapTest, ATapIsDownInExactlyOnePollAndPendingUntilThen) {
  XScreen xs;
  std::string whyNot;
  const auto raw = RawKeyEvents::Open(DisplayString(backend->display), whyNot);
  ASSERT_NE(raw, nullptr) << whyNot;
  X11KeyboardDevice& keyboard = backend->keyboard;
  keyboard.open(0);

  for (const auto& [keysym, dik] : {std::pair{XK_a, 30}, std::pair{XK_Caps_Lock, 58}}) {
    SCOPED_TRACE(::testing::Message() << "code " << dik);
    const std::uint64_t before = raw->changes().value_or(0);
    TapAtOnce(xs, keysym);
    EXPECT_TRUE(WaitUntil([&] { return raw->changes() == before + 2; },  // the press and the release
                          1s));
    const auto keycode = static_cast<std::size_t>(XKeysymToKeycode(xs.display(), keysym));
    char keys[32] = {};
    raw->keysForPoll(keys);
    EXPECT_TRUE(KeyIsDown(keys, keycode)) << "the tap is not in the poll after it";
    raw->keysForPoll(keys);
    EXPECT_FALSE(KeyIsDown(keys, keycode)) << "the tap is still there for the poll after that";

    int pollsSeeingIt = 0;
    KeyboardState state{};
    for (int poll = 0; poll < 10; ++poll) {
      keyboard.getState(state);
      pollsSeeingIt += state[static_cast<std::size_t>(dik)] != 0 ? 1 : 0;
      std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(pollsSeeingIt, 1);
    if (keysym == XK_Caps_Lock) TapAtOnce(xs, XK_Caps_Lock);  // the lock back as it was
  }
}

// About 32 s: twenty taps, each given the 1.4 s its announcement takes to
// come and go, and a little more.
TEST_F(QuickTapTest, TwentyTapsAtOnceGiveTwentyAnnouncementsOfTheLockEachLeft) {
  XScreen xs;
  const bool capsWasOn = xs.capsLockOn();
  PollingForm polling(*backend);
  LoopDeadline deadline(backend->window, 50.0);
  // Polling has begun; with nothing happening it may rest after its first tick.
  ASSERT_TRUE(PumpUntil([&] { return polling.events.ticksOf(TimerName::Timer1) >= 1; }, 5s));

  constexpr int kTaps = 20;
  int announced = 0, wrongText = 0;
  for (int tap = 0; tap < kTaps; ++tap) {
    const auto tapped = std::chrono::steady_clock::now();
    const std::size_t before = polling.screen.texts.size();
    TapAtOnce(xs, XK_Caps_Lock);
    const std::string expected = xs.capsLockOn() ? "Caps Lock is ON" : "Caps Lock is OFF";
    if (PumpUntil([&] { return polling.screen.texts.size() > before; }, 1500ms)) {
      ++announced;
      wrongText += polling.screen.texts.back() == expected ? 0 : 1;
    }
    PumpUntil([] { return false; }, std::chrono::duration_cast<std::chrono::milliseconds>(
                                        tapped + 1600ms - std::chrono::steady_clock::now()));
  }
  std::cout << "[ figures  ] " << announced << " of " << kTaps << " taps announced, " << wrongText
            << " with the wrong state\n";
  EXPECT_EQ(announced, kTaps);
  EXPECT_EQ(wrongText, 0);
  EXPECT_FALSE(deadline.fired());
  if (xs.capsLockOn() != capsWasOn) TapAtOnce(xs, XK_Caps_Lock);
}

}  // namespace
}  // namespace lumio::x11::testing
