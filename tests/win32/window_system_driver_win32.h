// The shared window-system contract's driver for Win32: the window is
// reached the way any program reaches another's, by its handle, its
// children by their control ids, and clicked with the messages Windows
// sends for a click. The Win32 tests of their own use it too.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

#include "contract/window_system_driver.h"
#include "platform/win32/key_button_painter.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/window_controls.h"
#include "platform/win32/window_dpi.h"
#include "platform/win32/window_system_win32.h"

namespace lumio::testing {

class Win32Driver final : public WindowSystemDriver {
 public:
  WindowSystem& windowSystem() override { return ws_; }
  win32::Win32WindowSystem& ws() { return ws_; }
  win32::MessageLoop& loop() { return loop_; }
  // The main window, and its children by their control ids.
  HWND window() const { return win32::ToHwnd(ws_.nativeHandle()); }
  HWND key(int index) const { return GetDlgItem(window(), win32::kFirstKeyId + index); }
  HWND control(Control which) const { return GetDlgItem(window(), win32::kFirstControlId + static_cast<int>(which)); }

  void turn() override {
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
  int dpi() override { return win32::DpiOf(window()); }
  int clientHeight() override {
    RECT client{};
    GetClientRect(window(), &client);
    return client.bottom;
  }
  std::vector<ChildSeen> children() override {
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
  void typeIntoText1(const std::string& text) override { SetWindowTextA(control(Control::Text1), text.c_str()); }
  // The grid lies below the visible area: the window is made big enough to
  // show it, so that the faces are really painted.
  void showKeyFaces() override {
    SetWindowPos(window(), nullptr, 0, 0, 1000, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    ws_.showWindow();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (std::chrono::steady_clock::now() < until) turn();
  }
  // A point of the face inside the button's edge.
  ShownColour keyFace(int index) override {
    const HDC dc = GetDC(key(index));
    const COLORREF colour = GetPixel(dc, 6, 4);
    ReleaseDC(key(index), dc);
    return FromColorRef(colour);
  }
  ShownColour shownAs(Colour colour) override {
    return FromColorRef(IsSystemColour(colour) ? GetSysColor(SystemColourIndex(colour)) : win32::ToColorRef(colour));
  }
  void clickKey(int index) override { SendMessageA(key(index), BM_CLICK, 0, 0); }
  void clickControl(Control which) override { SendMessageA(control(which), BM_CLICK, 0, 0); }
  void clickCloseBox() override { PostMessageA(window(), WM_CLOSE, 0, 0); }
  bool messageBoxOpen(const std::string& caption) override {
    const HWND box = FindWindowA(nullptr, caption.c_str());
    if (box == nullptr) return false;
    EXPECT_EQ(GetWindow(box, GW_OWNER), window()) << "the box is the window's own";
    EXPECT_TRUE(GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) << "in front of every window";
    return true;
  }
  void clickOk(const std::string& caption) override {
    if (const HWND box = FindWindowA(nullptr, caption.c_str())) PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  bool windowShown() override { return IsWindowVisible(window()) != FALSE; }
  std::unique_ptr<SafetyNet> safetyNet(std::chrono::seconds after) override {
    return std::make_unique<QuitLater>(after);
  }

 private:
  // A quit message ends the loop and any modal box with it; posted from a
  // thread of its own, it comes whatever the test's thread is doing.
  class QuitLater final : public SafetyNet {
   public:
    explicit QuitLater(std::chrono::seconds after)
        : watcher_([this, after, thread = GetCurrentThreadId()](std::stop_token stop) {
            std::mutex mutex;
            std::unique_lock lock(mutex);
            if (std::condition_variable_any().wait_for(lock, stop, after, [&] { return stop.stop_requested(); }))
              return;
            caught_ = true;
            PostThreadMessageA(thread, WM_QUIT, 9, 0);
          }) {}
    bool caught() const override { return caught_; }

   private:
    std::atomic<bool> caught_{false};
    std::jthread watcher_;  // last: asked to stop and joined first
  };

  static ShownColour FromColorRef(COLORREF colour) { return {GetRValue(colour), GetGValue(colour), GetBValue(colour)}; }

  win32::MessageLoop loop_;
  win32::Win32WindowSystem ws_{GetModuleHandleA(nullptr), loop_};
};

}  // namespace lumio::testing
