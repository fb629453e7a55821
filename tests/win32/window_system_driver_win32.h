// The shared window-system contract's driver for Win32: the window is
// reached the way any program reaches another's, by its handle, its
// children by their control ids, and clicked with the messages Windows
// sends for a click. The Win32 tests of their own use it too.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "contract/window_system_driver.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/window_system_win32.h"

namespace lumio::testing {

class Win32Driver final : public WindowSystemDriver {
 public:
  WindowSystem& windowSystem() override { return ws_; }
  win32::Win32WindowSystem& ws() { return ws_; }
  win32::MessageLoop& loop() { return loop_; }
  // The main window, and its children by their control ids.
  HWND window() const { return win32::ToHwnd(ws_.nativeHandle()); }
  HWND key(int index) const;
  HWND control(Control which) const;

  void turn() override;
  int dpi() override;
  int clientHeight() override;
  std::vector<ChildSeen> children() override;
  void typeIntoText1(const std::string& text) override;
  void showKeyFaces() override;
  ShownColour keyFace(int index) override;
  ShownColour shownAs(Colour colour) override;
  void clickKey(int index) override;
  void clickControl(Control which) override;
  void clickCloseBox() override;
  bool messageBoxOpen(const std::string& caption) override;
  void clickOk(const std::string& caption) override;
  bool windowShown() override;
  std::unique_ptr<SafetyNet> safetyNet(std::chrono::seconds after) override;

 private:
  win32::MessageLoop loop_;
  win32::Win32WindowSystem ws_{GetModuleHandleA(nullptr), loop_};
};

}  // namespace lumio::testing
