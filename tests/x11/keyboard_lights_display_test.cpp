// The keyboard device and the lock keys as a Wayland session has them: the
// keyboard lights (a scratch folder here) beside the X server's own state.
#include <X11/keysym.h>

#include <fstream>

#include "backend_fixture.h"
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
  std::unique_ptr<os::KeyboardLights> lights() { return std::make_unique<os::KeyboardLights>(folder_.path()); }

  lumio::testing::TempFolder folder_{"lumio-leds"};
};

TEST_F(KeyboardLightsDeviceTest, ALightThatChangedIsCapsLockDownInOneSnapshotBesideTheKeysXSees) {
  XScreen xs;
  setCapsLight("0\n");
  X11KeyboardDevice keyboard(backend->display, X11KeyboardDevice::Source::RawEvents, lights());
  EXPECT_TRUE(keyboard.readsLights());
  EXPECT_FALSE(backend->keyboard.readsLights());
  keyboard.open(0);
  KeyboardState state{};
  keyboard.getState(state);
  EXPECT_EQ(state[kCapsLockCode], 0);

  setCapsLight("1\n");
  keyboard.getState(state);
  EXPECT_EQ(state[kCapsLockCode], 128);
  keyboard.getState(state);
  EXPECT_EQ(state[kCapsLockCode], 0) << "the change is seen once";

  xs.pressKey(XK_a);  // keys typed into X11 windows are seen as before
  EXPECT_TRUE(WaitUntil([&] { return keyboard.getState(state), state[30] == 128; }, 1s));
  xs.releaseKey(XK_a);
  EXPECT_TRUE(WaitUntil([&] { return keyboard.getState(state), state[30] == 0; }, 1s));
}

TEST_F(KeyboardLightsDeviceTest, TheLockIsTheLightsWhereAKeyboardHasOneElseTheServersIndicator) {
  XScreen xs;
  const bool initially = xs.capsLockOn();
  setCapsLight(initially ? "0\n" : "1\n");
  X11KeyboardDevice lit(backend->display, X11KeyboardDevice::Source::RawEvents, lights());
  X11LockKeySource litLocks(backend->display, lit);
  const lumio::testing::TempFolder noLights("lumio-leds");
  X11KeyboardDevice none(backend->display, X11KeyboardDevice::Source::RawEvents,
                         std::make_unique<os::KeyboardLights>(noLights.path()));
  X11LockKeySource noneLocks(backend->display, none);
  lit.open(0);
  none.open(0);

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
