// The Win32 window system in-process: the window and its children as the
// form describes them, repaints, timers, clicks, message boxes and the ways
// the program ends.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "keymonitor/form_layout.h"
#include "platform/win32/window_dpi.h"
#include "support/form_lookup.h"
#include "platform/win32/window_system_win32.h"

namespace lumio::win32 {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Tick {
  TimerName timer;
  Clock::time_point at;
};

class RecordingEvents final : public WindowEvents {
 public:
  std::vector<int> keys;
  std::vector<Control> controls;
  std::vector<Tick> ticks;
  int endings = 0;
  std::function<void(TimerName)> onTick;

  void keyClicked(int index) override { keys.push_back(index); }
  void controlClicked(Control control) override { controls.push_back(control); }
  void timerTicked(TimerName timer) override {
    ticks.push_back({timer, Clock::now()});
    if (onTick) onTick(timer);
  }
  void programEnding() override { ++endings; }

  int ticksOf(TimerName timer) const {
    int n = 0;
    for (const Tick& t : ticks) n += t.timer == timer ? 1 : 0;
    return n;
  }
};

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

RECT RectInParent(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Dispatches messages until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    MSG message;
    // Bounded too: a timer whose handler outlasts its interval keeps the
    // queue from ever running dry.
    while (Clock::now() < deadline && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;  // tests end the program and go on
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (condition()) return true;
    if (Clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

void PumpFor(milliseconds time) {
  PumpUntil([] { return false; }, time);
}

// The window is reached the way any program reaches another's: by its
// handle, its children by their control ids.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ws.createWindow(frmOSDLayout(), events);
    // The introduction timer would tick into every test after seven seconds.
    ws.setTimerEnabled(TimerName::tmrAbout, false);
  }

  HWND window() const { return ToHwnd(ws.nativeHandle()); }
  HWND keyButton(int index) const { return GetDlgItem(window(), kFirstKeyId + index); }
  HWND control(Control control) const { return GetDlgItem(window(), kFirstControlId + static_cast<int>(control)); }

  // Makes the whole key grid visible, so that repaints really happen.
  void ShowEverything() {
    SetWindowPos(window(), nullptr, 0, 0, 1000, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    ws.showWindow();
    PumpFor(milliseconds(200));
  }

  // Runs the loop as the program does; a thread timer quits it after ten
  // seconds should the test's way out be broken.
  void RunLoop() {
    const struct Net {
      UINT_PTR id = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(9); });
      ~Net() { KillTimer(nullptr, id); }
    } net;
    ws.runEventLoop();
  }

  RecordingEvents events;
  Win32WindowSystem ws{GetModuleHandleA(nullptr)};
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

TEST_F(WindowTest, HoldsEveryChildBelowTheVisibleAreaInTabOrder) {
  const FormDescription& form = frmOSDLayout();
  const int dpi = DpiOf(window());
  RECT client{};
  GetClientRect(window(), &client);

  for (const ChildDesc& child : form.children) {
    SCOPED_TRACE(std::string(child.name));
    const HWND hwnd = control(child.control);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(ClassOf(hwnd), child.isTextBox ? "Edit" : "Button");
    EXPECT_EQ(TextOf(hwnd), child.caption);
    EXPECT_EQ(FontOf(hwnd).lfFaceName, form.font.name);
    EXPECT_EQ(FontOf(hwnd).lfCharSet, ANSI_CHARSET);
    const RECT at = RectInParent(hwnd);
    EXPECT_EQ(at.left, TwipsToPixels(child.left, dpi));
    EXPECT_EQ(at.top, TwipsToPixels(child.top, dpi));
    EXPECT_EQ(at.right - at.left, TwipsToPixels(child.width, dpi));
    EXPECT_GE(at.top, client.bottom) << "hidden below the visible client area";
  }

  int ownerDrawn = 0;
  for (const KeyDesc& key : form.keys) {
    SCOPED_TRACE("key " + std::to_string(key.index));
    const HWND hwnd = keyButton(key.index);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(ClassOf(hwnd), "Button");
    EXPECT_EQ(TextOf(hwnd), key.caption);
    const LONG_PTR type = GetWindowLongPtrA(hwnd, GWL_STYLE) & BS_TYPEMASK;
    EXPECT_EQ(type, key.graphical ? BS_OWNERDRAW : BS_PUSHBUTTON);
    EXPECT_EQ(FontOf(hwnd).lfFaceName, key.font.name);
    EXPECT_EQ(FontOf(hwnd).lfCharSet, ANSI_CHARSET);
    ownerDrawn += type == BS_OWNERDRAW ? 1 : 0;
    const RECT at = RectInParent(hwnd);
    EXPECT_EQ(at.left, TwipsToPixels(key.left, dpi));
    EXPECT_EQ(at.top, TwipsToPixels(key.top, dpi));
    EXPECT_EQ(at.bottom - at.top, TwipsToPixels(key.height, dpi));
    EXPECT_GE(at.top, client.bottom);
  }
  EXPECT_EQ(ownerDrawn, kKeyButtonCount - 1) << "all but key 1 are graphical";
  EXPECT_EQ(GetWindowLongPtrA(keyButton(1), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);

  // Nothing else, and the Tab order is the form's: Text1 first, key 1 last
  // of the keys, the three icon/test buttons after it.
  std::vector<HWND> order;
  for (HWND c = GetWindow(window(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) order.push_back(c);
  ASSERT_EQ(order.size(), form.children.size() + form.keys.size());
  EXPECT_EQ(order.front(), control(Control::Text1));
  EXPECT_EQ(order[order.size() - 4], keyButton(1));
  EXPECT_EQ(order.back(), control(Control::cmdShowicons));
}

TEST_F(WindowTest, Text1GivesWhatTheBoxHolds) {
  EXPECT_EQ(ws.text1(), "Caps Lock is OFF");
  SetWindowTextA(control(Control::Text1), "typed by the user");
  EXPECT_EQ(ws.text1(), "typed by the user");
  SetWindowTextA(control(Control::Text1), "");
  EXPECT_EQ(ws.text1(), "");
}

TEST_F(WindowTest, ABackColourCoversGraphicalKeysOnly) {
  ShowEverything();
  const HWND caps = keyButton(kCapsLockCode);
  // The face inside the edge.
  const auto faceShows = [&](COLORREF colour) {
    const HDC dc = GetDC(caps);
    const bool shows = GetPixel(dc, 6, 4) == colour;
    ReleaseDC(caps, dc);
    return shows;
  };
  ws.setKeyBackColor(kCapsLockCode, kYellow);
  EXPECT_TRUE(PumpUntil([&] { return faceShows(RGB(255, 255, 0)); }, milliseconds(2000)));
  // A system colour is the system's.
  ws.setKeyBackColor(kCapsLockCode, kActiveBorder);
  EXPECT_TRUE(PumpUntil([&] { return faceShows(GetSysColor(COLOR_ACTIVEBORDER)); }, milliseconds(2000)));
  // The core never names a code without a button; were it to, nothing happens.
  ws.setKeyBackColor(99, kYellow);
  ws.setKeyBackColor(300, kYellow);
}

TEST_F(WindowTest, PictureKeysShowTheirPicture) {
  ShowEverything();
  for (const int index : {219, 220, 221}) {
    SCOPED_TRACE("key " + std::to_string(index));
    const HWND key = keyButton(index);
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

TEST_F(WindowTest, ClicksNameTheirKeyOrControlUntilTheProgramEnds) {
  SendMessageA(keyButton(kCapsLockCode), BM_CLICK, 0, 0);
  SendMessageA(keyButton(1), BM_CLICK, 0, 0);
  SendMessageA(control(Control::cmdShow), BM_CLICK, 0, 0);
  SendMessageA(control(Control::cmdHideIcons), BM_CLICK, 0, 0);
  PumpFor(milliseconds(50));
  EXPECT_EQ(events.keys, (std::vector<int>{kCapsLockCode, 1}));
  EXPECT_EQ(events.controls, (std::vector<Control>{Control::cmdShow, Control::cmdHideIcons}));

  ws.endProgram();
  SendMessageA(keyButton(30), BM_CLICK, 0, 0);
  PumpFor(milliseconds(50));
  EXPECT_EQ(events.keys.size(), 2u);
}

TEST_F(WindowTest, DescribedTimersStartAtCreationAndOthersNeverTick) {
  // The form's timers, but the introduction's 7 s made 100 ms.
  std::vector<TimerDesc> timers(frmOSDLayout().timers.begin(), frmOSDLayout().timers.end());
  for (TimerDesc& timer : timers)
    if (timer.timer == TimerName::tmrAbout) timer.intervalMs = 100;
  FormDescription form = frmOSDLayout();
  form.timers = timers;
  Win32WindowSystem fresh{GetModuleHandleA(nullptr)};
  RecordingEvents freshEvents;
  fresh.createWindow(form, freshEvents);
  ASSERT_TRUE(PumpUntil([&] { return freshEvents.ticksOf(TimerName::tmrAbout) >= 2; }, milliseconds(3000)));
  EXPECT_EQ(freshEvents.ticks.size(), static_cast<std::size_t>(freshEvents.ticksOf(TimerName::tmrAbout)))
      << "only the introduction's timer ticks";

  ws.setTimerEnabled(TimerName::Timer1, true);
  ASSERT_TRUE(PumpUntil([&] { return events.ticksOf(TimerName::Timer1) >= 5; }, milliseconds(3000)));
  ws.setTimerEnabled(TimerName::Timer1, false);
  const int stoppedAt = events.ticksOf(TimerName::Timer1);
  PumpFor(milliseconds(150));
  EXPECT_EQ(events.ticksOf(TimerName::Timer1), stoppedAt) << "no tick after it is disabled";
  EXPECT_EQ(events.ticks.size(), static_cast<std::size_t>(stoppedAt)) << "no other timer ticked";
}

TEST_F(WindowTest, EnablingARunningTimerBeginsANewInterval) {
  // 700 ms timer, enabled again 400 ms in: the tick comes 700 ms after that.
  ws.setTimerEnabled(TimerName::tmrTestCaps, true);
  PumpFor(milliseconds(400));
  const auto restarted = Clock::now();
  ws.setTimerEnabled(TimerName::tmrTestCaps, true);
  ASSERT_TRUE(PumpUntil([&] { return events.ticksOf(TimerName::tmrTestCaps) >= 1; }, milliseconds(3000)));
  EXPECT_GE(events.ticks.back().at - restarted, milliseconds(600)) << "the first interval was not restarted";
}

TEST_F(WindowTest, TimersKeepTickingWhileAMessageBoxIsOpen) {
  const std::string caption = "lumio message box test";
  HWND box = nullptr;
  HWND boxOwner = nullptr;
  events.onTick = [&](TimerName) {
    if (events.ticksOf(TimerName::Timer1) == 5) {
      box = FindWindowA(nullptr, caption.c_str());
      if (box != nullptr) boxOwner = GetWindow(box, GW_OWNER);
      if (box != nullptr) PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
  };
  // Should the box never be found, a safety net closes whatever has our
  // caption after ten seconds rather than let the test hang.
  std::atomic<bool> returned{false};
  std::thread safety([&returned, caption] {
    for (int i = 0; i < 1000 && !returned; ++i) std::this_thread::sleep_for(milliseconds(10));
    if (!returned)
      if (const HWND stray = FindWindowA(nullptr, caption.c_str())) PostMessageA(stray, WM_COMMAND, IDOK, 0);
  });
  ws.setTimerEnabled(TimerName::Timer1, true);
  ws.messageBox("Lumio Load - Error: 13 Type mismatch", MessageIcon::Stop, caption);
  returned = true;
  safety.join();
  ASSERT_NE(box, nullptr) << "the box was up while the timer ticked";
  EXPECT_EQ(boxOwner, window());
  EXPECT_GE(events.ticksOf(TimerName::Timer1), 5);
}

TEST_F(WindowTest, DoEventsReturnsEvenWhenATimerOutrunsItsHandler) {
  events.onTick = [](TimerName) { std::this_thread::sleep_for(milliseconds(30)); };
  ws.setTimerEnabled(TimerName::Timer1, true);
  PumpFor(milliseconds(60));
  const auto start = Clock::now();
  ws.doEvents();
  EXPECT_LT(Clock::now() - start, milliseconds(2000));
  EXPECT_LE(events.ticksOf(TimerName::Timer1), 10);
}

TEST_F(WindowTest, EndProgramEndsTheLoopAndNothingIsDeliveredAfterIt) {
  ws.setTimerEnabled(TimerName::Timer1, true);
  events.onTick = [&](TimerName) {
    if (events.ticksOf(TimerName::Timer1) == 3) ws.endProgram();
  };
  RunLoop();
  EXPECT_EQ(events.ticksOf(TimerName::Timer1), 3);

  SendMessageA(keyButton(kCapsLockCode), BM_CLICK, 0, 0);
  ws.setTimerEnabled(TimerName::Timer1, true);  // too late: stays off
  PumpFor(milliseconds(100));
  EXPECT_TRUE(events.keys.empty()) << "no event after the end";
  EXPECT_EQ(events.ticksOf(TimerName::Timer1), 3);
}

TEST_F(WindowTest, ClosingTheWindowEndsTheLoopWithAnEndingEvent) {
  ws.showWindow();
  PostMessageA(window(), WM_CLOSE, 0, 0);
  RunLoop();
  EXPECT_EQ(events.endings, 1);
  EXPECT_FALSE(IsWindowVisible(window()));
}

TEST_F(WindowTest, SessionEndGivesEverythingBackAtOnce) {
  SendMessageA(window(), WM_QUERYENDSESSION, 0, 0);
  EXPECT_EQ(events.endings, 0);
  SendMessageA(window(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(events.endings, 1);
  SendMessageA(window(), WM_ENDSESSION, FALSE, 0);  // cancelled: nothing
  EXPECT_EQ(events.endings, 1);
}

TEST_F(WindowTest, AFailureEscapingAnEventEndsTheLoopAndComesOutOfIt) {
  ws.setTimerEnabled(TimerName::Timer1, true);
  events.onTick = [](TimerName) { throw std::runtime_error("handler failed"); };
  EXPECT_THROW(RunLoop(), std::runtime_error);
  EXPECT_EQ(events.ticksOf(TimerName::Timer1), 1);
  SendMessageA(keyButton(kCapsLockCode), BM_CLICK, 0, 0);
  PumpFor(milliseconds(50));
  EXPECT_TRUE(events.keys.empty()) << "nothing is delivered after it";
}

}  // namespace
}  // namespace lumio::win32
