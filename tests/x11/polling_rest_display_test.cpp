// Polling's rest on the real backend: a resting Timer1 arms nothing in
// FLTK's loop, and the raw key events say when nothing has come in since the
// last snapshot and wake the loop when something does, a keyboard added
// included.
#include "backend_fixture.h"

#include <FL/Fl_Button.H>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <cstring>
#include <fstream>

#include "keymonitor/key_list.h"
#include "support/x_screen.h"

namespace lumio::x11::testing {
namespace {

using namespace std::chrono_literals;
using lumio::testing::XScreen;

class PollingRestTest : public BackendTest {};

TEST_F(PollingRestTest, ARestingTimerTicksNoMoreAndWakesWithATickAtOnceThenOnItsInterval) {
  RecordingEvents events;
  X11WindowSystem& window = backend->window;
  window.createWindow(frmOSDLayout(), events);
  window.setTimerEnabled(TimerName::tmrAbout, false);
  window.setTimerEnabled(TimerName::Timer1, true);
  const auto ticks = [&] { return events.ticksOf(TimerName::Timer1); };
  ASSERT_TRUE(PumpUntil([&] { return ticks() >= 2; }, 2s));

  window.setTimerResting(TimerName::Timer1, true);
  const int rested = ticks();
  PumpFor(200ms);
  EXPECT_EQ(ticks(), rested);

  window.setTimerResting(TimerName::Timer1, false);
  Fl::check();  // the loop's next turn, however soon
  EXPECT_EQ(ticks(), rested + 1) << "resting, not stopped: a tick at once";
  EXPECT_TRUE(PumpUntil([&] { return ticks() >= rested + 4; }, 2s));

  window.setTimerResting(TimerName::Timer1, true);
  window.setTimerEnabled(TimerName::Timer1, true);  // a start ends the rest
  EXPECT_TRUE(PumpUntil([&] { return ticks() >= rested + 6; }, 2s));
}

// A master keyboard and pointer pair added to the server and taken away
// again, as plugging a keyboard in does.
class AddedKeyboard {
 public:
  explicit AddedKeyboard(Display* display) : display_(display) {
    XIAddMasterInfo add{};
    add.type = XIAddMaster;
    add.name = const_cast<char*>(kName);
    add.send_core = True;
    add.enable = True;
    XIChangeHierarchy(display_, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&add), 1);
    XSync(display_, False);
  }
  ~AddedKeyboard() {
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display_, XIAllMasterDevices, &count);
    for (int i = 0; i < count; ++i) {
      if (devices[i].use != XIMasterPointer || std::strncmp(devices[i].name, kName, std::strlen(kName)) != 0) continue;
      XIRemoveMasterInfo remove{};
      remove.type = XIRemoveMaster;
      remove.deviceid = devices[i].deviceid;
      remove.return_mode = XIFloating;
      XIChangeHierarchy(display_, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&remove), 1);
    }
    XIFreeDeviceInfo(devices);
    XSync(display_, False);
  }
  AddedKeyboard(const AddedKeyboard&) = delete;
  AddedKeyboard& operator=(const AddedKeyboard&) = delete;

 private:
  static constexpr const char* kName = "lumio-test";
  Display* display_;
};

TEST_F(PollingRestTest, RawKeyEventsTellWhenNothingCameInAndWakeTheLoopWhenSomethingDoes) {
  XScreen xs;
  xs.setFocus(xs.createWindow(10, 10, 100, 100, 0x808080));
  X11KeyboardDevice& keyboard = backend->keyboard;
  int wakes = 0;
  keyboard.callOnChange([&] { ++wakes; });
  EXPECT_FALSE(keyboard.unchangedSinceLastState()) << "not open";
  keyboard.open(0);
  KeyboardState state{};
  EXPECT_FALSE(keyboard.unchangedSinceLastState()) << "no snapshot yet";

  const struct {
    const char* what;
    std::function<void()> change;
  } changes[] = {
      {"a press", [&] { xs.pressKey(XK_a); }},
      {"a release", [&] { xs.releaseKey(XK_a); }},
      {"a keyboard added", [&] { AddedKeyboard added(xs.display()); }},
  };
  for (const auto& c : changes) {
    SCOPED_TRACE(c.what);
    keyboard.getState(state);
    EXPECT_TRUE(keyboard.unchangedSinceLastState());
    wakes = 0;
    c.change();
    EXPECT_TRUE(PumpUntil([&] { return wakes > 0; }, 2s)) << "the loop was not woken";
    EXPECT_FALSE(keyboard.unchangedSinceLastState());
  }

  // What came in while nobody ran the loop counts as well.
  keyboard.getState(state);
  xs.tapKey(XK_b);
  EXPECT_TRUE(lumio::testing::WaitUntil([&] { return !keyboard.unchangedSinceLastState(); }, 2s));
  PumpFor(50ms);
}

TEST_F(PollingRestTest, AKeyboardAskedOnEveryPollCannotTell) {
  QueriedKeys keys(backend->display);
  X11KeyboardDevice keyboard(keys);
  keyboard.open(0);
  KeyboardState state{};
  keyboard.getState(state);
  EXPECT_FALSE(keyboard.unchangedSinceLastState());
}

// The form on the real backend: it rests after its first refresh, a key
// brings the refreshes back until it is up, and an edit of the list is read.
TEST_F(PollingRestTest, TheFormRestsUntilAKeyOrAnEditOfTheListWakesIt) {
  XScreen xs;
  xs.setFocus(xs.createWindow(10, 10, 100, 100, 0x808080));
  const std::filesystem::path list = backend->environment.programDirectory() / kKeyListName;
  std::ofstream(list, std::ios::binary) << "30\r\n";
  frmOSD form(backend->platform);
  RecordingEvents events(&form);
  backend->window.createWindow(frmOSDLayout(), events);
  backend->keyboard.open(0);
  backend->window.showWindow();
  backend->window.setTimerEnabled(TimerName::tmrAbout, false);
  backend->window.setTimerEnabled(TimerName::Timer1, true);
  LoopDeadline deadline(backend->window, 20.0);
  const auto ticks = [&] { return events.ticksOf(TimerName::Timer1); };
  const auto restsAfter = [&](const char* what) {
    const int before = ticks();
    PumpFor(300ms);  // fifteen ticks, were it polling
    EXPECT_LE(ticks() - before, 2) << what;
  };

  ASSERT_TRUE(PumpUntil([&] { return ticks() >= 1; }, 2s));
  restsAfter("the first refresh");

  const Fl_Button* a = KeyButton(backend->window, 30);
  const Fl_Button* s = KeyButton(backend->window, 31);
  const Fl_Color yellow = fl_rgb_color(255, 255, 0);
  xs.pressKey(XK_a);
  EXPECT_TRUE(PumpUntil([&] { return a->color() == yellow; }, 2s));
  const int held = ticks();
  PumpFor(200ms);
  EXPECT_GE(ticks() - held, 5) << "a key held is looked at every 20 ms";
  xs.releaseKey(XK_a);
  EXPECT_TRUE(PumpUntil([&] { return a->color() != yellow; }, 2s));
  restsAfter("the release");

  // S is not on the list yet: only the edit's refresh gives it the up colour.
  const Fl_Color up = fl_rgb_color(180, 180, 180);
  ASSERT_NE(s->color(), up);
  const std::filesystem::path edited = list.parent_path() / "sedXYZ";
  std::ofstream(edited, std::ios::binary) << "31\r\n";
  std::filesystem::rename(edited, list);  // as sed -i saves
  EXPECT_TRUE(PumpUntil([&] { return s->color() == up; }, 2s));
  restsAfter("the edit");
  EXPECT_FALSE(deadline.fired());
}

}  // namespace
}  // namespace lumio::x11::testing
