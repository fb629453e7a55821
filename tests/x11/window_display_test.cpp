// The FLTK main window on a real display, where X differs from any window
// system: its hints, its frame, a window manager resizing it, its pictures
// and signals. What every window system promises is in the shared contract.
#include "backend_fixture.h"

#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <X11/Xatom.h>

#include <algorithm>
#include <csignal>

#include "support/process.h"
#include "support/x_screen.h"

namespace lumio::x11::testing {
namespace {

using namespace std::chrono_literals;
using lumio::testing::PropertyOf;
using lumio::testing::TitleOf;
using lumio::testing::WaitUntil;
using lumio::testing::XScreen;

class WindowTest : public BackendTest {
 protected:
  RecordingEvents events;
};

TEST_F(WindowTest, IsCreatedHiddenWithItsHintsAlreadyInPlace) {
  XScreen xs;
  backend->window.createWindow(frmOSDLayout(), events);
  const auto xid = static_cast<Window>(backend->window.nativeHandle());
  ASSERT_NE(xid, 0u);
  xs.sync();
  // Everything a window manager reads at map time is there before the map.
  EXPECT_FALSE(xs.isViewable(xid));
  EXPECT_EQ(TitleOf(xs.display(), xid), kAppTitle);
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

TEST_F(WindowTest, PictureKeysCarryTheirPictureAndAPressedKeyShowsItsBackColour) {
  backend->window.createWindow(frmOSDLayout(), events);
  for (int pictured : {219, 220, 221}) EXPECT_NE(KeyButton(backend->window, pictured)->image(), nullptr) << pictured;
  backend->window.setKeyBackColor(30, kYellow);
  EXPECT_EQ(KeyButton(backend->window, 30)->selection_color(), fl_rgb_color(255, 255, 0));
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
  // Soon after the signal: ticks already due when the loop next wakes may
  // still come on a loaded machine, but not a second's worth of them.
  EXPECT_LE(events.ticksOf(TimerName::Timer1), 10);
}

}  // namespace
}  // namespace lumio::x11::testing
