// The whole-keyboard snapshot, the key buttons it colours and the lock keys,
// with keys pressed through XTest.
#include "backend_fixture.h"

#include <FL/Fl_Button.H>
#include <X11/keysym.h>

#include "keymonitor/key_list.h"
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

TEST_F(KeyboardTest, KeysShowInTheSnapshotWhileAnotherWindowHasTheFocus) {
  XScreen xs;
  const Window other = xs.createWindow(10, 10, 100, 100, 0x808080);
  xs.setFocus(other);
  backend->keyboard.open(0);

  const struct {
    KeySym keysym;
    int dik;
  } keys[] = {{XK_a, 30}, {XK_Caps_Lock, 58}, {XK_Print, 183}, {XK_Super_L, 219}, {XK_KP_Enter, 156}, {XK_Pause, 197}};
  KeyboardState state{};
  for (const auto& key : keys) {
    xs.pressKey(key.keysym);
    backend->keyboard.getState(state);
    EXPECT_EQ(state[static_cast<std::size_t>(key.dik)], 128) << "code " << key.dik << " not down";
    int down = 0;
    for (std::uint8_t byte : state) down += byte != 0 ? 1 : 0;
    EXPECT_EQ(down, 1) << "code " << key.dik;
    xs.releaseKey(key.keysym);
    backend->keyboard.getState(state);
    EXPECT_EQ(state[static_cast<std::size_t>(key.dik)], 0) << "code " << key.dik << " still down";
    if (key.keysym == XK_Caps_Lock) xs.tapKey(XK_Caps_Lock);  // the lock back as it was
  }
}

TEST_F(KeyboardTest, AHeldKeyTurnsItsButtonYellowWithinTwoTicksAndBackOnRelease) {
  XScreen xs;
  const Window other = xs.createWindow(10, 10, 100, 100, 0x808080);
  xs.setFocus(other);

  frmOSD form(backend->platform);
  CountingEvents events(&form);
  backend->window.createWindow(frmOSDLayout(), events);
  WriteDefaultKeyList(backend->environment.listFiles(), form.KeyListPath());
  form.OpenKeyboardDevice();
  backend->window.showWindow();
  backend->window.setTimerEnabled(TimerName::Timer1, true);
  LoopDeadline deadline(backend->window, 20.0);

  const Fl_Button* a = Inside(backend->window).keyButton(30);
  const Fl_Color up = fl_rgb_color(180, 180, 180);
  const Fl_Color yellow = fl_rgb_color(255, 255, 0);
  ASSERT_TRUE(PumpUntil([&] { return events.ticksOf(TimerName::Timer1) >= 2; }, 5s));
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

TEST_F(KeyboardTest, CapsLockReadsItsIndicatorAndWhetherItIsHeld) {
  XScreen xs;
  const bool initially = xs.capsLockOn();
  const auto lockBit = [&] { return (backend->lockKeys.getKeyState(kVkCapital) & 0x0001) != 0; };
  const auto heldBit = [&] { return (backend->lockKeys.getKeyState(kVkCapital) & 0x8000) != 0; };
  EXPECT_EQ(lockBit(), initially);
  EXPECT_FALSE(heldBit());

  xs.pressKey(XK_Caps_Lock);  // the lock turns over on the press
  EXPECT_TRUE(WaitUntil([&] { return xs.capsLockOn() != initially; }, 5s));
  EXPECT_EQ(lockBit(), !initially);
  EXPECT_TRUE(heldBit());
  EXPECT_LT(backend->lockKeys.getKeyState(kVkCapital), 0);  // bit 15 is the sign

  xs.releaseKey(XK_Caps_Lock);
  EXPECT_FALSE(heldBit());
  EXPECT_EQ(lockBit(), !initially);

  xs.tapKey(XK_Caps_Lock);
  EXPECT_TRUE(WaitUntil([&] { return xs.capsLockOn() == initially; }, 5s));
  EXPECT_EQ(lockBit(), initially);
  EXPECT_EQ(backend->lockKeys.getKeyState(65), 0);  // not a lock key
}

}  // namespace
}  // namespace lumio::x11::testing
