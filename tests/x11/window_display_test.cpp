// The FLTK main window on a real display: what it is made of, its timers,
// message boxes and the ways the loop ends.
#include "backend_fixture.h"

#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <X11/Xatom.h>

#include <algorithm>
#include <csignal>
#include <stdexcept>

#include "support/form_lookup.h"
#include "support/process.h"
#include "support/x_screen.h"

namespace lumio::x11::testing {
namespace {

using namespace std::chrono_literals;
using lumio::testing::PropertyOf;
using lumio::testing::WaitUntil;
using lumio::testing::XScreen;

class WindowTest : public BackendTest {
 protected:
  CountingEvents events;
};

TEST_F(WindowTest, IsCreatedHiddenWithItsHintsAlreadyInPlace) {
  XScreen xs;
  backend->window.createWindow(frmOSDLayout(), events);
  const auto xid = static_cast<Window>(backend->window.nativeHandle());
  ASSERT_NE(xid, 0u);
  xs.sync();
  // Everything a window manager reads at map time is there before the map.
  EXPECT_FALSE(xs.isViewable(xid));
  EXPECT_EQ(xs.findWindowByTitle(std::string(kAppTitle)), xid);
  const std::vector<unsigned long> motif = PropertyOf(xs.display(), xid, "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_EQ(motif[1], 4u | 32u);       // functions: move and close
  EXPECT_EQ(motif[2], 2u | 8u | 16u);  // decorations: border, title, menu
  const std::vector<unsigned long> state = PropertyOf(xs.display(), xid, "_NET_WM_STATE");
  ASSERT_EQ(state.size(), 1u);
  EXPECT_EQ(state[0], XInternAtom(xs.display(), "_NET_WM_STATE_SKIP_TASKBAR", False));

  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(xs.display(), xid, &hints, &supplied));
  EXPECT_EQ(hints.min_width, hints.max_width);
  EXPECT_EQ(hints.min_height, hints.max_height);

  backend->window.showWindow();
  ASSERT_TRUE(PumpUntil([&] { return xs.isViewable(xid); }, 5s));
  XWindowAttributes attributes{};
  ASSERT_TRUE(XGetWindowAttributes(xs.display(), xid, &attributes));
  const int dpi = ScreenDpi(backend->display);
  EXPECT_EQ(attributes.width, TwipsToPixels(frmOSDLayout().clientWidth, dpi));
  EXPECT_EQ(attributes.height, TwipsToPixels(frmOSDLayout().clientHeight, dpi));
  EXPECT_NEAR(attributes.x + attributes.width / 2, xs.width() / 2, 1);  // centred (no window manager here)
  EXPECT_NEAR(attributes.y + attributes.height / 2, xs.height() / 2, 1);
}

TEST_F(WindowTest, UnderAWindowManagerTheWindowIsCentredWithItsFrame) {
  const std::filesystem::path openbox = "/usr/bin/openbox";
  if (!std::filesystem::exists(openbox)) GTEST_SKIP() << "no openbox to frame the window";
  XScreen xs;
  lumio::testing::ChildProcess manager({openbox, {"--sm-disable"}, {}, {}, {}});
  // Ready once it frames a window of its own accord.
  const ::Window probe = xs.createWindow(0, 0, 50, 50, 0x808080);
  const auto framed = [&] { return PropertyOf(xs.display(), probe, "_NET_FRAME_EXTENTS").size() == 4; };
  ASSERT_TRUE(WaitUntil(framed, 10s)) << "openbox did not start";
  xs.destroyWindow(probe);

  const Window xid = ShowMainWindow(events, xs.display());
  ASSERT_NE(xid, 0u);
  PumpFor(300ms);  // let the window manager finish placing it
  const std::vector<unsigned long> frame =
      PropertyOf(xs.display(), xid, "_NET_FRAME_EXTENTS");  // left, right, top, bottom
  ASSERT_EQ(frame.size(), 4u);
  EXPECT_GT(frame[2], 0u) << "a title bar";

  XWindowAttributes client{};
  ASSERT_TRUE(XGetWindowAttributes(xs.display(), xid, &client));
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(xs.display(), xid, DefaultRootWindow(xs.display()), 0, 0, &x, &y, &child);
  const int outerLeft = x - static_cast<int>(frame[0]);
  const int outerTop = y - static_cast<int>(frame[2]);
  const int outerWidth = client.width + static_cast<int>(frame[0] + frame[1]);
  const int outerHeight = client.height + static_cast<int>(frame[2] + frame[3]);
  EXPECT_NEAR(outerLeft + outerWidth / 2, xs.width() / 2, 1);
  EXPECT_NEAR(outerTop + outerHeight / 2, xs.height() / 2, 1);
}

TEST_F(WindowTest, HoldsEveryChildBelowTheVisibleAreaInTabOrder) {
  backend->window.createWindow(frmOSDLayout(), events);
  Fl_Window* top = fl_find(static_cast<Window>(backend->window.nativeHandle()));
  const int dpi = ScreenDpi(backend->display);
  // The controls sit in an area of the client's size that clips them.
  ASSERT_EQ(top->children(), 1);
  Fl_Window* window = top->child(0)->as_window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ((std::vector<int>{window->x(), window->y(), window->w(), window->h()}),
            (std::vector<int>{0, 0, top->w(), top->h()}));
  ASSERT_EQ(window->children(), kKeyButtonCount + 6);

  int previousTab = -1;
  for (int i = 0; i < window->children(); ++i) {
    const Fl_Widget* child = window->child(i);
    EXPECT_GE(child->y(), window->h()) << "child " << i << " would be seen";
    int tab = -1;
    for (const KeyDesc& key : frmOSDLayout().keys)
      if (ChildAt(backend->window, key.left, key.top) == child) tab = key.tabIndex;
    for (const ChildDesc& desc : frmOSDLayout().children)
      if (ChildAt(backend->window, desc.left, desc.top) == child) tab = desc.tabIndex;
    ASSERT_GT(tab, previousTab) << "child " << i;
    previousTab = tab;
  }

  EXPECT_EQ(backend->window.text1(), "Caps Lock is OFF");
  const KeyDesc* caps = FindKey(kCapsLockCode);
  const Fl_Button* capsButton = KeyButton(backend->window, kCapsLockCode);
  ASSERT_NE(capsButton, nullptr);
  EXPECT_STREQ(capsButton->label(), "Caps Lock");
  EXPECT_EQ(capsButton->w(), TwipsToPixels(caps->width, dpi));
  EXPECT_EQ(capsButton->h(), TwipsToPixels(caps->height, dpi));
  EXPECT_EQ(capsButton->color(), fl_rgb_color(240, 240, 240));
  EXPECT_EQ(KeyButton(backend->window, 30)->color(), fl_rgb_color(180, 180, 180));  // A starts "up"
  EXPECT_EQ(KeyButton(backend->window, 14)->color(), fl_rgb_color(192, 192, 192));  // Back is light grey
  for (int pictured : {219, 220, 221}) {
    const Fl_Button* button = KeyButton(backend->window, pictured);
    EXPECT_NE(button->image(), nullptr) << pictured;
    EXPECT_TRUE(button->label() == nullptr || button->label()[0] == '\0') << pictured;
  }
}

TEST_F(WindowTest, MadeLargerFromOutsideItShowsOnlyItsColour) {
  XScreen xs;
  const Window xid = ShowMainWindow(events, xs.display());
  ASSERT_NE(xid, 0u);
  backend->window.setKeyBackColor(0, kYellow);  // the "Esc" key in the top row, where it would show first

  // What a tiling window manager does, whatever the window's size hints say.
  constexpr int kWidth = 600, kHeight = 400;
  XResizeWindow(xs.display(), xid, kWidth, kHeight);
  xs.sync();
  const Fl_Window* window = fl_find(xid);
  ASSERT_TRUE(PumpUntil([&] { return window->w() == kWidth && window->h() == kHeight; }, 5s));
  PumpFor(200ms);  // every exposure painted
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(xs.display(), xid, xs.root(), 0, 0, &x, &y, &child);
  const lumio::testing::ScreenImage shot = xs.grab(x, y, kWidth, kHeight);
  const long others = std::count_if(shot.pixels.begin(), shot.pixels.end(), [](const lumio::testing::Rgb& c) {
    return c.r != 240 || c.g != 240 || c.b != 240;  // the window's colour, system colour 15
  });
  EXPECT_EQ(others, 0) << "pixels of another colour: a control shows";
}

TEST_F(WindowTest, ABackColourCoversGraphicalKeysOnly) {
  backend->window.createWindow(frmOSDLayout(), events);
  backend->window.showWindow();
  Fl_Window* window = fl_find(static_cast<Window>(backend->window.nativeHandle()));
  Fl_Button* a = KeyButton(backend->window, 30);
  ASSERT_TRUE(PumpUntil([&] { return window->damage() == 0 && a->damage() == 0; }, 5s));

  backend->window.setKeyBackColor(30, kYellow);
  EXPECT_NE(a->damage(), 0);
  EXPECT_EQ(a->color(), fl_rgb_color(255, 255, 0));
  EXPECT_EQ(a->selection_color(), fl_rgb_color(255, 255, 0));  // pressed, too

  // The plain button keeps its standard look whatever its back colour.
  Fl_Button* plain = KeyButton(backend->window, 1);
  const Fl_Color standard = plain->color();
  backend->window.setKeyBackColor(1, kYellow);
  EXPECT_EQ(plain->color(), standard);
}

TEST_F(WindowTest, ClicksNameTheirKeyOrControlUntilTheProgramEnds) {
  backend->window.createWindow(frmOSDLayout(), events);
  for (int index : {30, 0, 1, 219}) KeyButton(backend->window, index)->do_callback();
  for (Control control : {Control::cmdShow, Control::cmdRemove, Control::cmdCapNum, Control::cmdHideIcons,
                          Control::cmdShowicons})
    ControlWidget(backend->window, control)->do_callback();
  EXPECT_EQ(events.keys, (std::vector<int>{30, 0, 1, 219}));
  EXPECT_EQ(events.controls, (std::vector<Control>{Control::cmdShow, Control::cmdRemove, Control::cmdCapNum,
                                                   Control::cmdHideIcons, Control::cmdShowicons}));

  Fl_Button* a = KeyButton(backend->window, 30);
  backend->window.endProgram();
  a->do_callback();
  EXPECT_EQ(events.keys.size(), 4u);
}

TEST_F(WindowTest, DescribedTimersStartAtCreationAndOthersNeverTick) {
  FormDescription form = frmOSDLayout();
  std::vector<TimerDesc> timers(form.timers.begin(), form.timers.end());
  for (TimerDesc& timer : timers) timer.intervalMs = timer.timer == TimerName::tmrAbout ? 100 : timer.intervalMs;
  form.timers = timers;  // the introduction made short
  backend->window.createWindow(form, events);
  EXPECT_TRUE(PumpUntil([&] { return events.ticksOf(TimerName::tmrAbout) > 0; }, 5s));
  EXPECT_EQ(events.ticksOf(TimerName::Timer1), 0);

  backend->window.setTimerEnabled(TimerName::Timer1, true);
  ASSERT_TRUE(PumpUntil([&] { return events.ticksOf(TimerName::Timer1) >= 5; }, 5s));
  backend->window.setTimerEnabled(TimerName::Timer1, false);
  const int ticks = events.ticksOf(TimerName::Timer1);
  PumpFor(200ms);
  EXPECT_EQ(events.ticksOf(TimerName::Timer1), ticks);
  EXPECT_EQ(events.ticksOf(TimerName::tmrTestCaps), 0);
  EXPECT_EQ(events.ticksOf(TimerName::tmrRemoveText), 0);
}

TEST_F(WindowTest, EnablingARunningTimerBeginsANewInterval) {
  backend->window.createWindow(frmOSDLayout(), events);
  backend->window.setTimerEnabled(TimerName::tmrTestCaps, true);  // 700 ms
  PumpFor(400ms);
  const auto restarted = std::chrono::steady_clock::now();
  backend->window.setTimerEnabled(TimerName::tmrTestCaps, true);
  ASSERT_TRUE(PumpUntil([&] { return events.ticksOf(TimerName::tmrTestCaps) > 0; }, 5s));
  // Timers never fire early: a tick sooner than 700 ms after the restart
  // could only come from the first interval.
  EXPECT_GE(std::chrono::steady_clock::now() - restarted, 690ms);
}

TEST_F(WindowTest, TimersKeepTickingWhileAMessageBoxIsOpen) {
  backend->window.createWindow(frmOSDLayout(), events);
  backend->window.showWindow();
  backend->window.setTimerEnabled(TimerName::Timer1, true);
  std::string title;
  int ticksWhileOpen = 0;
  events.onTick = [&](TimerName timer) {
    if (timer != TimerName::Timer1 || Fl::modal() == nullptr) return;
    if (++ticksWhileOpen == 10) {
      title = Fl::modal()->label() != nullptr ? Fl::modal()->label() : "";
      Fl::modal()->hide();  // the user's click, as far as the box can tell
    }
  };
  LoopDeadline deadline(backend->window, 10.0);
  backend->window.messageBox("Lumio Load - Error: 57 Device I/O error", MessageIcon::Information, "Lumio - Caps Lock");
  EXPECT_FALSE(deadline.fired());
  EXPECT_GE(ticksWhileOpen, 10);
  EXPECT_EQ(title, "Lumio - Caps Lock");
}

TEST_F(WindowTest, EndProgramEndsTheLoopAndNothingIsDeliveredAfterIt) {
  backend->window.createWindow(frmOSDLayout(), events);
  backend->window.showWindow();
  backend->window.setTimerEnabled(TimerName::Timer1, true);
  events.onTick = [&](TimerName) {
    if (events.ticksOf(TimerName::Timer1) == 3) backend->window.endProgram();
  };
  LoopDeadline deadline(backend->window, 10.0);
  backend->window.runEventLoop();
  EXPECT_FALSE(deadline.fired());
  EXPECT_EQ(events.ticksOf(TimerName::Timer1), 3);
  backend->window.setTimerEnabled(TimerName::Timer1, true);  // too late: stays off
  PumpFor(150ms);
  EXPECT_EQ(events.ticksOf(TimerName::Timer1), 3);
}

TEST_F(WindowTest, TerminationSignalEndsTheLoopAndTheProgramGoesOn) {
  backend->window.createWindow(frmOSDLayout(), events);
  backend->window.showWindow();
  const auto xid = static_cast<Window>(backend->window.nativeHandle());
  backend->window.setTimerEnabled(TimerName::Timer1, true);
  events.onTick = [&](TimerName) {
    if (events.ticksOf(TimerName::Timer1) == 2) std::raise(SIGTERM);
  };
  LoopDeadline deadline(backend->window, 10.0);
  backend->window.runEventLoop();
  EXPECT_FALSE(deadline.fired());
  EXPECT_EQ(events.endings, 1);
  EXPECT_EQ(fl_find(xid), nullptr) << "the window is still there";
  EXPECT_LE(events.ticksOf(TimerName::Timer1), 3);
}

TEST_F(WindowTest, AFailureEscapingAnEventEndsTheLoopAndComesOutOfIt) {
  backend->window.createWindow(frmOSDLayout(), events);
  backend->window.showWindow();
  const auto xid = static_cast<Window>(backend->window.nativeHandle());
  backend->window.setTimerEnabled(TimerName::Timer1, true);
  events.onTick = [](TimerName) { throw std::runtime_error("handler failed"); };
  LoopDeadline deadline(backend->window, 10.0);
  EXPECT_THROW(backend->window.runEventLoop(), std::runtime_error);
  EXPECT_FALSE(deadline.fired());
  EXPECT_EQ(fl_find(xid), nullptr) << "the window is still there";
  EXPECT_EQ(events.ticksOf(TimerName::Timer1), 1);
}

TEST_F(WindowTest, ClosingTheWindowEndsTheLoop) {
  XScreen xs;
  const Window xid = ShowMainWindow(events, xs.display());
  ASSERT_NE(xid, 0u);

  lumio::testing::SendDeleteWindow(xs, xid);  // the user clicks the close button

  LoopDeadline deadline(backend->window, 10.0);
  backend->window.runEventLoop();
  EXPECT_EQ(events.endings, 1);
  EXPECT_FALSE(deadline.fired());
  XErrorTrap gone(xs.display());  // the window is destroyed: asking about it is an error
  EXPECT_TRUE(WaitUntil([&] { return !xs.isViewable(xid); }, 5s));
}

}  // namespace
}  // namespace lumio::x11::testing
