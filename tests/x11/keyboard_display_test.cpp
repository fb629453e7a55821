// The whole-keyboard snapshot, the key buttons it colours and the lock keys,
// with keys pressed through XTest.
#include "backend_fixture.h"

#include <FL/Fl_Button.H>
#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <thread>

#include "keymonitor/key_list.h"
#include "platform/linux/x11/raw_key_events.h"
#include "support/x_screen.h"

namespace lumio::x11::testing {
namespace {

using namespace std::chrono_literals;
using lumio::testing::WaitUntil;
using lumio::testing::XScreen;

class KeyboardTest : public BackendTest {};

TEST_F(KeyboardTest, ASnapshotBeforeOpeningFails) {
  KeyboardState state{};
  try {
    backend->keyboard.getState(state);
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.number(), failures::kObjectNotSet);
  }
}

// Each test runs on both kinds of keys: the raw key events the program
// uses, and the keys asked of the server at every poll that it falls back
// to when the server lacks XInput 2.
enum class Keys { RawKeyEvents, QueriedKeys };

class KeyboardSourceTest : public BackendTest, public ::testing::WithParamInterface<Keys> {
 protected:
  std::unique_ptr<PressedKeys> MakeKeys() const {
    if (GetParam() == Keys::QueriedKeys) return std::make_unique<QueriedKeys>(backend->display);
    std::string whyNot;
    auto raw = RawKeyEvents::Open(DisplayString(backend->display), whyNot);
    EXPECT_NE(raw, nullptr) << whyNot;
    return raw;
  }
  // Takes snapshots, without running FLTK's loop, until the key has the
  // state wanted: the device must read what has arrived by itself.
  static bool SnapshotShows(X11KeyboardDevice& keyboard, int dik, bool down) {
    KeyboardState state{};
    return WaitUntil(
        [&] {
          keyboard.getState(state);
          return (state[static_cast<std::size_t>(dik)] == 128) == down;
        },
        1s);
  }
};

TEST_P(KeyboardSourceTest, SeesKeysHeldAtOpenAndEveryPressAndReleaseWhateverHasTheFocus) {
  XScreen xs;
  const Window other = xs.createWindow(10, 10, 100, 100, 0x808080);
  xs.setFocus(other);

  xs.pressKey(XK_Shift_L);  // down before the device opens
  const auto pressed = MakeKeys();
  X11KeyboardDevice keyboard(*pressed);
  keyboard.open(0);
  KeyboardState state{};
  keyboard.getState(state);
  EXPECT_EQ(state[42], 128) << "a key held at open is not down at the first snapshot";
  xs.releaseKey(XK_Shift_L);
  EXPECT_TRUE(SnapshotShows(keyboard, 42, false));

  const struct {
    const char* name;
    Window window;
  } focuses[] = {{"another client's window", other}, {"no window", None}, {"the pointer's window", PointerRoot}};
  const struct {
    KeySym keysym;
    int dik;
  } keys[] = {{XK_a, 30}, {XK_Caps_Lock, 58}, {XK_Print, 183}, {XK_Super_L, 219}, {XK_KP_Enter, 156}, {XK_Pause, 197}};
  for (const auto& focus : focuses) {
    xs.setFocus(focus.window);
    for (const auto& key : keys) {
      SCOPED_TRACE(::testing::Message() << "focus on " << focus.name << ", code " << key.dik);
      xs.pressKey(key.keysym);
      EXPECT_TRUE(SnapshotShows(keyboard, key.dik, true));
      keyboard.getState(state);
      EXPECT_EQ(std::count_if(state.begin(), state.end(), [](std::uint8_t b) { return b != 0; }), 1);
      xs.releaseKey(key.keysym);
      EXPECT_TRUE(SnapshotShows(keyboard, key.dik, false));
      if (key.keysym == XK_Caps_Lock) xs.tapKey(XK_Caps_Lock);  // the lock back as it was
    }
  }
}

TEST_P(KeyboardSourceTest, AKeyHeldThroughAutoRepeatStaysDown) {
  XScreen xs;
  Display* dpy = xs.display();
  const Window other = xs.createWindow(10, 10, 100, 100, 0x808080);
  XSelectInput(dpy, other, KeyPressMask);  // to see that the server did repeat
  xs.setFocus(other);
  unsigned delay = 0, interval = 0;
  XkbGetAutoRepeatRate(dpy, XkbUseCoreKbd, &delay, &interval);
  XAutoRepeatOn(dpy);
  XkbSetAutoRepeatRate(dpy, XkbUseCoreKbd, 100, 20);
  XSync(dpy, False);

  const auto keys = MakeKeys();
  X11KeyboardDevice keyboard(*keys);
  keyboard.open(0);
  xs.pressKey(XK_a);
  EXPECT_TRUE(SnapshotShows(keyboard, 30, true));
  int upWhileHeld = 0;
  KeyboardState state{};
  for (const auto end = std::chrono::steady_clock::now() + 500ms; std::chrono::steady_clock::now() < end;) {
    keyboard.getState(state);
    upWhileHeld += state[30] == 0 ? 1 : 0;
    std::this_thread::sleep_for(5ms);
  }
  xs.releaseKey(XK_a);
  EXPECT_TRUE(SnapshotShows(keyboard, 30, false));
  XkbSetAutoRepeatRate(dpy, XkbUseCoreKbd, delay, interval);

  int presses = 0;
  XSync(dpy, False);
  while (XPending(dpy) > 0) {
    XEvent event;
    XNextEvent(dpy, &event);
    presses += event.type == KeyPress ? 1 : 0;
  }
  ASSERT_GT(presses, 3) << "the server did not repeat the key: the test proves nothing";
  EXPECT_EQ(upWhileHeld, 0);
}

INSTANTIATE_TEST_SUITE_P(Sources, KeyboardSourceTest, ::testing::Values(Keys::RawKeyEvents, Keys::QueriedKeys),
                         [](const auto& param) {
                           return param.param == Keys::RawKeyEvents ? "RawKeyEvents" : "QueriedKeys";
                         });

TEST_F(KeyboardTest, AHeldKeyTurnsItsButtonYellowWithinTwoTicksAndBackOnRelease) {
  XScreen xs;
  const Window other = xs.createWindow(10, 10, 100, 100, 0x808080);
  xs.setFocus(other);

  frmOSD form(backend->platform);
  RecordingEvents events(&form);
  backend->window.createWindow(frmOSDLayout(), events);
  WriteDefaultKeyList(backend->environment.listFiles(), backend->environment.programDirectory() / kKeyListName);
  backend->keyboard.open(0);
  backend->window.showWindow();
  backend->window.setTimerEnabled(TimerName::Timer1, true);
  LoopDeadline deadline(backend->window, 20.0);

  const Fl_Button* a = KeyButton(backend->window, 30);
  const Fl_Color up = fl_rgb_color(180, 180, 180);
  const Fl_Color yellow = fl_rgb_color(255, 255, 0);
  // Polling has begun; with nothing happening it may rest after its first tick.
  ASSERT_TRUE(PumpUntil([&] { return events.ticksOf(TimerName::Timer1) >= 1; }, 5s));
  ASSERT_EQ(a->color(), up);

  xs.pressKey(XK_a);
  const int ticksAtPress = events.ticksOf(TimerName::Timer1);
  EXPECT_TRUE(PumpUntil([&] { return a->color() == yellow; }, 5s));
  EXPECT_LE(events.ticksOf(TimerName::Timer1) - ticksAtPress, 2);

  xs.releaseKey(XK_a);
  const int ticksAtRelease = events.ticksOf(TimerName::Timer1);
  EXPECT_TRUE(PumpUntil([&] { return a->color() == up; }, 5s));
  EXPECT_LE(events.ticksOf(TimerName::Timer1) - ticksAtRelease, 2);
  EXPECT_FALSE(deadline.fired());
}

TEST_P(KeyboardSourceTest, CapsLockReadsItsIndicatorAndWhetherItIsHeld) {
  XScreen xs;
  const auto keys = MakeKeys();
  X11KeyboardDevice keyboard(*keys);
  keyboard.open(0);
  X11LockKeySource lockKeys(backend->display, *keys);
  const bool initially = xs.capsLockOn();
  const auto on = [&] { return lockKeys.state(LockKey::Caps).on; };
  const auto held = [&] { return lockKeys.state(LockKey::Caps).held; };
  EXPECT_EQ(on(), initially);
  EXPECT_FALSE(held());

  xs.pressKey(XK_Caps_Lock);  // the lock turns over on the press
  EXPECT_TRUE(WaitUntil([&] { return xs.capsLockOn() != initially; }, 5s));
  EXPECT_EQ(on(), !initially);
  EXPECT_TRUE(WaitUntil(held, 1s));
  EXPECT_FALSE(lockKeys.state(LockKey::Num).held);

  xs.releaseKey(XK_Caps_Lock);
  EXPECT_TRUE(WaitUntil([&] { return !held(); }, 1s));
  EXPECT_EQ(on(), !initially);

  xs.tapKey(XK_Caps_Lock);
  EXPECT_TRUE(WaitUntil([&] { return xs.capsLockOn() == initially; }, 5s));
  EXPECT_EQ(on(), initially);
}

}  // namespace
}  // namespace lumio::x11::testing
