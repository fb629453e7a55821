// The keyboard device and the lock keys as a Wayland session has them: the
// keyboard lights (a scratch folder here), watched on a timer of their own
// in FLTK's loop, beside the X server's own state.
#include <X11/keysym.h>

#include <fstream>

#include "backend_fixture.h"
#include "platform/linux/os/lights_watch.h"
#include "support/x_screen.h"

namespace lumio::x11::testing {
namespace {

using namespace std::chrono_literals;
using lumio::testing::WaitUntil;
using lumio::testing::XScreen;

class KeyboardLightsDeviceTest : public BackendTest {
 protected:
  void setCapsLight(const char* text) {
    std::filesystem::create_directories(folder_.path() / "input3::capslock");
    std::ofstream(folder_.path() / "input3::capslock/brightness", std::ios::trunc) << text;
  }

  lumio::testing::TempFolder folder_{"lumio-leds"};
};

TEST_F(KeyboardLightsDeviceTest, ALightTurnedOverWakesTheRestingKeyboardAndIsCapsLockDownInOneSnapshot) {
  XScreen xs;
  setCapsLight("0\n");
  os::LightsWatch lights(folder_.path(), {});
  X11KeyboardDevice keyboard(*backend->keys, &lights);
  bool woken = false;
  keyboard.callOnChange([&] { woken = true; });
  keyboard.open(0);
  KeyboardState state{};
  keyboard.getState(state);
  EXPECT_EQ(state[kCapsLockCode], 0);
  EXPECT_TRUE(keyboard.unchangedSinceLastState()) << "the watch reads the lights: polling may rest";

  setCapsLight("1\n");
  EXPECT_TRUE(PumpUntil([&] { return woken; }, 1s)) << "the watch's own timer did not see the light";
  EXPECT_FALSE(keyboard.unchangedSinceLastState());
  keyboard.getState(state);
  EXPECT_EQ(state[kCapsLockCode], 128);
  keyboard.getState(state);
  EXPECT_EQ(state[kCapsLockCode], 0) << "the change is seen once";
  EXPECT_TRUE(keyboard.unchangedSinceLastState());

  xs.pressKey(XK_a);  // keys typed into X11 windows are seen as before
  EXPECT_TRUE(WaitUntil([&] { return keyboard.getState(state), state[30] == 128; }, 1s));
  xs.releaseKey(XK_a);
  EXPECT_TRUE(WaitUntil([&] { return keyboard.getState(state), state[30] == 0; }, 1s));
}

TEST_F(KeyboardLightsDeviceTest, TheLockIsTheLightsWhereAKeyboardHasOneElseTheServersIndicator) {
  XScreen xs;
  const bool initially = xs.capsLockOn();
  setCapsLight(initially ? "0\n" : "1\n");
  os::LightsWatch lights(folder_.path(), {});
  X11LockKeySource litLocks(backend->display, *backend->keys, &lights);
  const lumio::testing::TempFolder noLights("lumio-leds");
  os::LightsWatch none(noLights.path(), {});
  X11LockKeySource noneLocks(backend->display, *backend->keys, &none);

  EXPECT_EQ(litLocks.state(LockKey::Caps).on, !initially) << "the light, not the server's indicator";
  EXPECT_EQ(noneLocks.state(LockKey::Caps).on, initially);
  EXPECT_EQ(litLocks.state(LockKey::Num).on, backend->lockKeys.state(LockKey::Num).on) << "no Num Lock light";

  xs.tapKey(XK_Caps_Lock);
  ASSERT_TRUE(WaitUntil([&] { return xs.capsLockOn() != initially; }, 5s));
  EXPECT_EQ(noneLocks.state(LockKey::Caps).on, !initially);
  xs.tapKey(XK_Caps_Lock);
  EXPECT_TRUE(WaitUntil([&] { return xs.capsLockOn() == initially; }, 5s));
}

}  // namespace
}  // namespace lumio::x11::testing
