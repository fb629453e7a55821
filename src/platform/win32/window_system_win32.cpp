#include "platform/win32/window_system_win32.h"

#include <string>
#include <utility>

#include "platform/win32/failure_win32.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/window_dpi.h"

namespace lumio::win32 {

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance, int iconResource)
    : instance_(instance), iconResource_(iconResource) {}

Win32WindowSystem::~Win32WindowSystem() {
  ended_ = true;  // whatever comes while the windows go delivers nothing
  if (window_ != nullptr) {
    timers_.stopAll();
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (owner_ != nullptr) DestroyWindow(owner_);
  // Our quit request must not end the next loop this thread runs.
  MSG quit;
  if (quitPosted_) PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

void Win32WindowSystem::registerClasses() {
  // Several window systems may live in one process (the tests make many):
  // a class that is already there is the same class.
  if (iconResource_ != 0) {
    bigIcon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(iconResource_), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(iconResource_), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  }
  WNDCLASSEXA main{};
  main.cbSize = sizeof main;
  main.lpfnWndProc = &Win32WindowSystem::WindowProc;
  main.hInstance = instance_;
  main.hCursor = LoadCursor(nullptr, IDC_ARROW);
  main.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  main.lpszClassName = kMainWindowClass;
  if (RegisterClassExA(&main) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) throw LastErrorFailure();

  WNDCLASSEXA owner{};
  owner.cbSize = sizeof owner;
  owner.lpfnWndProc = DefWindowProcA;
  owner.hInstance = instance_;
  owner.lpszClassName = kOwnerWindowClass;
  if (RegisterClassExA(&owner) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) throw LastErrorFailure();
}

void Win32WindowSystem::createWindow(const FormDescription& form, WindowEvents& events) {
  form_ = &form;
  events_ = &events;
  registerClasses();
  const std::string caption(form.caption);
  // Never shown, and untitled so that nothing lists it: owning the main
  // window is what keeps that one off the taskbar.
  owner_ = CreateWindowExA(WS_EX_TOOLWINDOW, kOwnerWindowClass, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                           instance_, nullptr);
  window_ = CreateWindowExA(kMainExStyle, kMainWindowClass, caption.c_str(), kMainStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, 100, 100, owner_, nullptr, instance_, this);
  if (window_ == nullptr) throw LastErrorFailure();
  if (bigIcon_ != nullptr) SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  if (smallIcon_ != nullptr) SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

  controls_.create(window_, instance_, form);
  applyDpi(DpiOf(window_), nullptr);
  timers_.start(window_, form.timers);
}

// Sizes, positions and fonts at a DPI: at creation, and again whenever the
// window moves to a monitor with another scale.
void Win32WindowSystem::applyDpi(int dpi, const RECT* suggested) {
  controls_.place(dpi);
  PlaceMainWindow(window_, TwipsToPixels(form_->clientWidth, dpi), TwipsToPixels(form_->clientHeight, dpi), dpi,
                  suggested);
  InvalidateRect(window_, nullptr, TRUE);
}

void Win32WindowSystem::showWindow() {
  if (window_ == nullptr || ended_) return;
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
}

void Win32WindowSystem::runEventLoop() {
  RunMessages(window_, [this] { return ended_; });
  ended_ = true;
  if (escaped_) std::rethrow_exception(std::exchange(escaped_, nullptr));
}

void Win32WindowSystem::doEvents() { DispatchWaiting(window_); }

void Win32WindowSystem::endProgram() {
  if (ended_) return;
  ended_ = true;
  if (window_ != nullptr) {
    timers_.stopAll();
    ShowWindow(window_, SW_HIDE);
  }
  PostQuitMessage(0);  // wakes a loop that is waiting
  quitPosted_ = true;
}

void Win32WindowSystem::setKeyBackColor(int index, Colour colour) { controls_.setKeyColour(index, colour); }

std::string Win32WindowSystem::text1() const {
  const HWND edit = controls_.control(Control::Text1);
  if (edit == nullptr) return {};
  const int length = GetWindowTextLengthA(edit);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(edit, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

void Win32WindowSystem::setTimerEnabled(TimerName timer, bool enabled) {
  if (!ended_) timers_.setEnabled(timer, enabled);
}

void Win32WindowSystem::messageBox(std::string_view text, MessageIcon icon, std::string_view caption) {
  // Modal to our window; its own message loop goes on dispatching our
  // WM_TIMER, so the timers keep ticking while it is up.
  const UINT style = MB_OK | (icon == MessageIcon::Stop ? MB_ICONSTOP : MB_ICONINFORMATION);
  const HWND ownerWindow = window_ != nullptr && IsWindow(window_) ? window_ : nullptr;
  MessageBoxA(ownerWindow, std::string(text).c_str(), std::string(caption).c_str(), style);
}

template <class Event>
void Win32WindowSystem::deliver(Event&& event) {
  if (ended_ || events_ == nullptr) return;
  try {
    event(*events_);
  } catch (...) {
    // Nothing may unwind through the system's code that called us.
    if (!escaped_) escaped_ = std::current_exception();
    endProgram();
  }
}

void Win32WindowSystem::onCommand(int id, int code) {
  if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return;  // a quick second click is a click too
  if (const std::optional<int> key = controls_.keyOf(id)) {
    deliver([index = *key](WindowEvents& events) { events.keyClicked(index); });
  } else if (const std::optional<Control> control = controls_.controlOf(id); control && *control != Control::Text1) {
    deliver([which = *control](WindowEvents& events) { events.controlClicked(which); });
  }
}

void Win32WindowSystem::onTimer(UINT_PTR id) {
  if (const std::optional<TimerName> timer = timers_.tickOf(id))
    deliver([which = *timer](WindowEvents& events) { events.timerTicked(which); });
}

LRESULT CALLBACK Win32WindowSystem::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    auto* creating = static_cast<Win32WindowSystem*>(create->lpCreateParams);
    creating->window_ = hwnd;  // messages come before CreateWindowExA returns
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
  }
  auto* self = reinterpret_cast<Win32WindowSystem*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr || self->window_ != hwnd) return DefWindowProcA(hwnd, message, wParam, lParam);
  return self->handleMessage(message, wParam, lParam);
}

LRESULT Win32WindowSystem::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_DRAWITEM:
      controls_.paintKey(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_TIMER:
      onTimer(wParam);
      return 0;
    case WM_CLOSE:
      // The close box ends the program; the windows go with this object.
      deliver([](WindowEvents& events) { events.programEnding(); });
      endProgram();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The process may be gone as soon as we return: give the icons back
      // and clean the screen now.
      if (wParam != FALSE) deliver([](WindowEvents& events) { events.programEnding(); });
      return 0;
    case WM_DPICHANGED:
      applyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

}  // namespace lumio::win32
