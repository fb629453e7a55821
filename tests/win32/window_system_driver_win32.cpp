#include "window_system_driver_win32.h"

#include <gtest/gtest.h>

#include "platform/win32/key_button_painter.h"
#include "platform/win32/window_controls.h"
#include "platform/win32/window_dpi.h"

namespace lumio::testing {
namespace {

using namespace win32;

ShownColour FromColorRef(COLORREF colour) {
  return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

// A quit message ends the loop and any modal box with it; posted from a
// thread of its own, it comes whatever the test's thread is doing.
class QuitLater final : public WindowSystemDriver::SafetyNet {
 public:
  explicit QuitLater(std::chrono::seconds after)
      : thread_(GetCurrentThreadId()), watcher_([this, after] {
          const auto until = std::chrono::steady_clock::now() + after;
          while (!done_ && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          if (!done_) {
            caught_ = true;
            PostThreadMessageA(thread_, WM_QUIT, 9, 0);
          }
        }) {}
  ~QuitLater() override {
    done_ = true;
    watcher_.join();
  }
  QuitLater(const QuitLater&) = delete;
  QuitLater& operator=(const QuitLater&) = delete;
  bool caught() const override { return caught_; }

 private:
  DWORD thread_;
  std::atomic<bool> done_{false};
  std::atomic<bool> caught_{false};
  std::thread watcher_;
};

}  // namespace

void Win32Driver::turn() {
  MSG message;
  // Bounded in time: a timer whose handler outlasts its interval keeps the
  // queue from ever running dry.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(10);
  while (std::chrono::steady_clock::now() < until && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;  // tests end the program and go on
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
}

int Win32Driver::dpi() { return DpiOf(window()); }

int Win32Driver::clientHeight() {
  RECT client{};
  GetClientRect(window(), &client);
  return client.bottom;
}

std::vector<ChildSeen> Win32Driver::children() {
  std::vector<ChildSeen> seen;
  for (HWND child = GetWindow(window(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    char text[256] = {};
    GetWindowTextA(child, text, sizeof text);
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, window(), reinterpret_cast<POINT*>(&rect), 2);
    seen.push_back({text, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top});
  }
  return seen;
}

void Win32Driver::typeIntoText1(const std::string& text) { SetWindowTextA(control(Control::Text1), text.c_str()); }

// The grid lies below the visible area: the window is made big enough to
// show it, so that the faces are really painted.
void Win32Driver::showKeyFaces() {
  SetWindowPos(window(), nullptr, 0, 0, 1000, 400, SWP_NOZORDER | SWP_NOACTIVATE);
  ws_.showWindow();
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
  while (std::chrono::steady_clock::now() < until) turn();
}

// A point of the face inside the button's edge.
ShownColour Win32Driver::keyFace(int index) {
  const HDC dc = GetDC(key(index));
  const COLORREF colour = GetPixel(dc, 6, 4);
  ReleaseDC(key(index), dc);
  return FromColorRef(colour);
}

ShownColour Win32Driver::shownAs(Colour colour) {
  return FromColorRef(IsSystemColour(colour) ? GetSysColor(SystemColourIndex(colour)) : ToColorRef(colour));
}

void Win32Driver::clickKey(int index) { SendMessageA(key(index), BM_CLICK, 0, 0); }
void Win32Driver::clickControl(Control which) { SendMessageA(control(which), BM_CLICK, 0, 0); }
void Win32Driver::clickCloseBox() { PostMessageA(window(), WM_CLOSE, 0, 0); }

bool Win32Driver::messageBoxOpen(const std::string& caption) {
  const HWND box = FindWindowA(nullptr, caption.c_str());
  if (box == nullptr) return false;
  EXPECT_EQ(GetWindow(box, GW_OWNER), window()) << "the box is the window's own";
  EXPECT_TRUE(GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) << "in front of every window";
  return true;
}

void Win32Driver::clickOk(const std::string& caption) {
  if (const HWND box = FindWindowA(nullptr, caption.c_str())) PostMessageA(box, WM_COMMAND, IDOK, 0);
}

bool Win32Driver::windowShown() { return IsWindowVisible(window()) != FALSE; }

std::unique_ptr<WindowSystemDriver::SafetyNet> Win32Driver::safetyNet(std::chrono::seconds after) {
  return std::make_unique<QuitLater>(after);
}

HWND Win32Driver::key(int index) const { return GetDlgItem(window(), kFirstKeyId + index); }

HWND Win32Driver::control(Control which) const {
  return GetDlgItem(window(), kFirstControlId + static_cast<int>(which));
}

std::unique_ptr<WindowSystemDriver> MakeWindowSystemDriver(RecordingEvents& /*events*/) {
  return std::make_unique<Win32Driver>();
}

}  // namespace lumio::testing
