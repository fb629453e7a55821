// The Win32 window system in-process, where Windows differs from any window
// system: the window's styles and owner, native controls and their fonts,
// the pictures on the keys, the end of the session. What every window
// system promises is in the shared contract.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <string>

#include "keymonitor/form_layout.h"
#include "platform/win32/key_button_painter.h"
#include "platform/win32/window_controls.h"
#include "platform/win32/window_dpi.h"
#include "platform/win32/window_system_win32.h"
#include "support/form_lookup.h"
#include "window_system_driver_win32.h"

namespace lumio::win32 {
namespace {

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

std::string TextOf(HWND hwnd) {
  char text[256] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

LOGFONTA FontOf(HWND hwnd) {
  LOGFONTA font{};
  const auto handle = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
  if (handle == nullptr || GetObjectA(handle, sizeof font, &font) == 0) font.lfCharSet = DEFAULT_CHARSET;
  return font;
}

// The window is reached the way any program reaches another's: by its
// handle, its children by their control ids; the shared contract's driver
// runs its loop and shows its faces.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ws.createWindow(frmOSDLayout(), events);
    // The introduction timer would tick into every test after seven seconds.
    ws.setTimerEnabled(TimerName::tmrAbout, false);
  }

  HWND window() const { return driver.window(); }

  lumio::testing::RecordingEvents events;
  lumio::testing::Win32Driver driver;
  Win32WindowSystem& ws = driver.ws();
};

TEST_F(WindowTest, IsCreatedHiddenFixedOwnedCentredAndTwoPixelsHigh) {
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(TextOf(window()), "Lumio - Caps Lock");
  EXPECT_FALSE(IsWindowVisible(window())) << "created hidden";

  const LONG_PTR style = GetWindowLongPtrA(window(), GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU) << "the close box";
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME) << "fixed single border";

  // Off the taskbar: owned by a hidden window, and not forced onto it.
  EXPECT_FALSE(GetWindowLongPtrA(window(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  const HWND owner = GetWindow(window(), GW_OWNER);
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(ClassOf(owner), kOwnerWindowClass);
  EXPECT_FALSE(IsWindowVisible(owner));

  RECT client{};
  GetClientRect(window(), &client);
  EXPECT_EQ(client.bottom, TwipsToPixels(30, DpiOf(window())));
  EXPECT_EQ(client.right, TwipsToPixels(4350, DpiOf(window())));

  ws.showWindow();
  EXPECT_TRUE(IsWindowVisible(window()));
  RECT outer{};
  GetWindowRect(window(), &outer);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(window(), MONITOR_DEFAULTTOPRIMARY), &monitor));
  EXPECT_NEAR((outer.left + outer.right) / 2, (monitor.rcMonitor.left + monitor.rcMonitor.right) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, (monitor.rcMonitor.top + monitor.rcMonitor.bottom) / 2, 1);
}

TEST_F(WindowTest, EveryChildIsANativeControlWithTheFormsFont) {
  const FormDescription& form = frmOSDLayout();
  for (const ChildDesc& child : form.children) {
    SCOPED_TRACE(std::string(child.name));
    const HWND hwnd = driver.control(child.control);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(ClassOf(hwnd), child.isTextBox ? "Edit" : "Button");
    EXPECT_EQ(FontOf(hwnd).lfFaceName, form.font.name);
    EXPECT_EQ(FontOf(hwnd).lfCharSet, ANSI_CHARSET);
  }
  int ownerDrawn = 0;
  for (const KeyDesc& key : form.keys) {
    SCOPED_TRACE("key " + std::to_string(key.index));
    const HWND hwnd = driver.key(key.index);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(ClassOf(hwnd), "Button");
    const LONG_PTR type = GetWindowLongPtrA(hwnd, GWL_STYLE) & BS_TYPEMASK;
    EXPECT_EQ(type, key.graphical ? BS_OWNERDRAW : BS_PUSHBUTTON);
    EXPECT_EQ(FontOf(hwnd).lfFaceName, key.font.name);
    EXPECT_EQ(FontOf(hwnd).lfCharSet, ANSI_CHARSET);
    ownerDrawn += type == BS_OWNERDRAW ? 1 : 0;
  }
  EXPECT_EQ(ownerDrawn, kKeyButtonCount - 1) << "all but key 1 are graphical";
}

TEST_F(WindowTest, PictureKeysShowTheirPicture) {
  driver.showKeyFaces();
  for (const int index : {219, 220, 221}) {
    SCOPED_TRACE("key " + std::to_string(index));
    const HWND key = driver.key(index);
    RECT rect{};
    GetClientRect(key, &rect);
    const KeyBitmap& picture = frmOSDLayout().pictureOf(*FindKey(index));
    const COLORREF pictureBack = ToColorRef(picture.at(0, 0));
    int black = 0, back = 0;
    const HDC dc = GetDC(key);
    for (int y = 2; y < rect.bottom - 2; ++y)
      for (int x = 2; x < rect.right - 2; ++x) {
        const COLORREF c = GetPixel(dc, x, y);
        black += c == RGB(0, 0, 0) ? 1 : 0;
        back += c == pictureBack ? 1 : 0;
      }
    ReleaseDC(key, dc);
    int pictureBlack = 0;
    for (const Colour c : picture.pixels) pictureBlack += c == 0 ? 1 : 0;
    EXPECT_EQ(black, pictureBlack) << "every black pixel of the picture, once";
    EXPECT_GE(back, static_cast<int>(picture.pixels.size()) - pictureBlack);
  }
}

TEST_F(WindowTest, SessionEndGivesEverythingBackAtOnce) {
  SendMessageA(window(), WM_QUERYENDSESSION, 0, 0);
  EXPECT_EQ(events.endings, 0);
  SendMessageA(window(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(events.endings, 1);
  SendMessageA(window(), WM_ENDSESSION, FALSE, 0);  // cancelled: nothing
  EXPECT_EQ(events.endings, 1);
}

// Resting, a timer wakes nobody; a handle the loop watches, or a switch of
// session, brings its ticks back at once.
TEST_F(WindowTest, ARestingTimerTicksAgainWhenAWatchedHandleOrTheSessionWakesIt) {
  using std::chrono::milliseconds;
  const HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  driver.loop().watch(event, [&] { ws.setTimerResting(TimerName::Timer1, false); });
  ws.setTimerEnabled(TimerName::Timer1, true);
  events.onTick = [&](TimerName) {
    const int ticks = events.ticksOf(TimerName::Timer1);
    if (ticks == 3 || ticks == 6) ws.setTimerResting(TimerName::Timer1, true);
    if (ticks == 8) ws.endProgram();
  };
  std::thread wake([&] {
    std::this_thread::sleep_for(milliseconds(400));
    SetEvent(event);
    std::this_thread::sleep_for(milliseconds(400));
    PostMessageA(window(), WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
  });
  const auto net = driver.safetyNet(std::chrono::seconds(10));
  ws.runEventLoop();
  wake.join();
  driver.loop().unwatch(event);
  CloseHandle(event);
  EXPECT_FALSE(net->caught());
  ASSERT_EQ(events.ticksOf(TimerName::Timer1), 8);
  EXPECT_GE(events.ticks[3].at - events.ticks[2].at, milliseconds(250)) << "a tick while resting";
  EXPECT_GE(events.ticks[6].at - events.ticks[5].at, milliseconds(250)) << "a tick while resting";
}

// taskkill closes every top-level window: the hidden owner's close is the
// main window's.
TEST_F(WindowTest, ClosingTheHiddenOwnerEndsTheProgramWithAnEndingEvent) {
  ws.showWindow();
  PostMessageA(GetWindow(window(), GW_OWNER), WM_CLOSE, 0, 0);
  const auto net = driver.safetyNet(std::chrono::seconds(10));
  ws.runEventLoop();
  EXPECT_FALSE(net->caught());
  EXPECT_EQ(events.endings, 1);
  EXPECT_FALSE(IsWindowVisible(window()));
}

}  // namespace
}  // namespace lumio::win32
