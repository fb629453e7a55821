#include "platform/win32/window_system_win32.h"

#include <cmath>

#include "seam/failure.h"

namespace lumio::win32 {

namespace {

constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;  // fixed single border
constexpr DWORD kMainExStyle = 0;

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

// The window's own DPI on Windows 10 and later; the screen's before that.
int DpiOf(HWND window) {
  if (const auto forWindow = FindSystemFunction<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow")) {
    const UINT dpi = forWindow(window);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

RECT OuterRect(int clientWidth, int clientHeight, int dpi) {
  RECT rect{0, 0, clientWidth, clientHeight};
  if (const auto adjust = FindSystemFunction<AdjustWindowRectExForDpiFn>("user32.dll", "AdjustWindowRectExForDpi"))
    adjust(&rect, kMainStyle, FALSE, kMainExStyle, static_cast<UINT>(dpi));
  else
    AdjustWindowRectEx(&rect, kMainStyle, FALSE, kMainExStyle);
  return rect;
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance, int iconResource)
    : instance_(instance), iconResource_(iconResource) {}

Win32WindowSystem::~Win32WindowSystem() {
  ended_ = true;  // whatever comes while the windows go delivers nothing
  if (window_ != nullptr) {
    for (std::size_t i = 0; i < kTimerCount; ++i) KillTimer(window_, TimerId(static_cast<TimerName>(i)));
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (owner_ != nullptr) DestroyWindow(owner_);
  // Our quit request must not end the next loop this thread runs.
  MSG quit;
  if (quitPosted_) PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  deleteFonts();
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
  if (RegisterClassExA(&main) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw Failure(static_cast<std::int32_t>(GetLastError()), "Cannot register the main window class");

  WNDCLASSEXA owner{};
  owner.cbSize = sizeof owner;
  owner.lpfnWndProc = DefWindowProcA;
  owner.hInstance = instance_;
  owner.lpszClassName = kOwnerWindowClass;
  if (RegisterClassExA(&owner) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw Failure(static_cast<std::int32_t>(GetLastError()), "Cannot register the owner window class");
}

void Win32WindowSystem::createWindow(const FormDescription& form, WindowEvents& events) {
  form_ = &form;
  events_ = &events;
  registerClasses();
  for (std::size_t i = 0; i < pictures_.size() && i < form.pictures.size(); ++i)
    pictures_[i] = PictureDib(form.pictures[i]);

  const std::string caption(form.caption);
  // Never shown, and untitled so that nothing lists it: owning the main
  // window is what keeps that one off the taskbar.
  owner_ = CreateWindowExA(WS_EX_TOOLWINDOW, kOwnerWindowClass, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                           instance_, nullptr);
  window_ = CreateWindowExA(kMainExStyle, kMainWindowClass, caption.c_str(), kMainStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, 100, 100, owner_, nullptr, instance_, this);
  if (window_ == nullptr)
    throw Failure(static_cast<std::int32_t>(GetLastError()), "Cannot create the main window");
  if (bigIcon_ != nullptr) SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  if (smallIcon_ != nullptr) SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

  dpi_ = DpiOf(window_);
  createChildren();
  applyDpi(dpi_, nullptr);

  for (const TimerDesc& timer : form.timers)
    if (timer.enabled) setTimerEnabled(timer.timer, true);
}

void Win32WindowSystem::createChildren() {
  // Creation order is the Tab order.
  for (const TabStop& item : form_->tabOrder) {
    if (item.child != nullptr) {
      const ChildDesc& child = *item.child;
      const int id = kFirstControlId + static_cast<int>(child.control);
      const std::string text(child.caption);
      HWND hwnd = nullptr;
      if (child.isTextBox)
        hwnd = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", text.c_str(),
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, 0, 0, 0, 0, window_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
      else
        hwnd = CreateWindowExA(0, "BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0,
                               0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
      controls_[static_cast<std::size_t>(child.control)] = hwnd;
    } else {
      const KeyDesc& key = *item.key;
      const int id = kFirstKeyId + key.index;
      const std::string text(key.caption);
      const DWORD kind = key.graphical ? BS_OWNERDRAW : BS_PUSHBUTTON;
      KeySlot& slot = keys_[static_cast<std::size_t>(key.index & 0xFF)];
      slot.desc = &key;
      slot.colour = key.backColor;
      slot.button = CreateWindowExA(0, "BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | kind, 0, 0, 0, 0,
                                    window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    }
  }
}

HFONT Win32WindowSystem::fontFor(const FontDesc& font) {
  const auto key = std::make_pair(std::string(font.name), font.points);
  if (const auto found = fonts_.find(key); found != fonts_.end()) return found->second;
  const int height = -static_cast<int>(std::lround(font.points * dpi_ / 72.0));
  const HFONT made = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, key.first.c_str());
  fonts_.emplace(key, made);
  return made;
}

void Win32WindowSystem::deleteFonts() {
  for (auto& entry : fonts_)
    if (entry.second != nullptr) DeleteObject(entry.second);
  fonts_.clear();
}

// Sizes, positions and fonts at a DPI: at creation, and again whenever the
// window moves to a monitor with another scale.
void Win32WindowSystem::applyDpi(int dpi, const RECT* suggested) {
  dpi_ = dpi;
  // The children keep using the old fonts until they are handed the new ones.
  auto oldFonts = std::exchange(fonts_, {});
  const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };

  for (const ChildDesc& child : form_->children) {
    const HWND hwnd = controls_[static_cast<std::size_t>(child.control)];
    MoveWindow(hwnd, px(child.left), px(child.top), px(child.width), px(child.height), FALSE);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(form_->font)), FALSE);
  }
  for (const KeyDesc& key : form_->keys) {
    const HWND hwnd = keys_[static_cast<std::size_t>(key.index & 0xFF)].button;
    MoveWindow(hwnd, px(key.left), px(key.top), px(key.width), px(key.height), FALSE);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(key.font)), FALSE);
  }

  const RECT outer = OuterRect(px(form_->clientWidth), px(form_->clientHeight), dpi);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  if (suggested != nullptr) {
    SetWindowPos(window_, nullptr, suggested->left, suggested->top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    // Centred on the whole screen of the monitor the window starts on.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoA(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor) != 0) area = monitor.rcMonitor;
    const int left = area.left + ((area.right - area.left) - width) / 2;
    const int top = area.top + ((area.bottom - area.top) - height) / 2;
    SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  InvalidateRect(window_, nullptr, TRUE);
  for (auto& entry : oldFonts)
    if (entry.second != nullptr) DeleteObject(entry.second);
}

void Win32WindowSystem::showWindow() {
  if (window_ == nullptr || ended_) return;
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
}

void Win32WindowSystem::dispatch(MSG& message) {
  if (window_ != nullptr && IsDialogMessageA(window_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void Win32WindowSystem::runEventLoop() {
  MSG message;
  while (!ended_) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;  // WM_QUIT, or nothing left to wait on
    dispatch(message);
  }
  ended_ = true;
  if (escaped_) std::rethrow_exception(std::exchange(escaped_, nullptr));
}

void Win32WindowSystem::doEvents() {
  // Each message that is waiting now, once: a timer that comes round again
  // while we are at it is left for the next time, so this always returns.
  std::array<bool, kTimerCount + 1> timerSeen{};
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (message.message == WM_QUIT) break;  // left queued for runEventLoop
    if (message.message == WM_TIMER && message.hwnd == window_ && message.wParam >= 1 &&
        message.wParam <= kTimerCount) {
      if (timerSeen[message.wParam]) break;
      timerSeen[message.wParam] = true;
    }
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) break;
    dispatch(message);
  }
}

void Win32WindowSystem::endProgram() {
  if (ended_) return;
  ended_ = true;
  if (window_ != nullptr) {
    for (std::size_t i = 0; i < kTimerCount; ++i) {
      if (timerRunning_[i]) KillTimer(window_, TimerId(static_cast<TimerName>(i)));
      timerRunning_[i] = false;
    }
    ShowWindow(window_, SW_HIDE);
  }
  PostQuitMessage(0);  // wakes a GetMessage that is waiting
  quitPosted_ = true;
}

void Win32WindowSystem::setKeyBackColor(int index, Colour colour) {
  if (index < 0 || index > 255) return;
  KeySlot& slot = keys_[static_cast<std::size_t>(index)];
  if (slot.desc == nullptr) return;
  slot.colour = colour;
  // A standard (non-graphical) button shows no back colour: nothing to repaint.
  if (slot.desc->graphical && slot.button != nullptr) InvalidateRect(slot.button, nullptr, FALSE);
}

std::string Win32WindowSystem::text1() const {
  const HWND edit = controls_[static_cast<std::size_t>(Control::Text1)];
  if (edit == nullptr) return {};
  const int length = GetWindowTextLengthA(edit);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(edit, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

void Win32WindowSystem::setTimerEnabled(TimerName timer, bool enabled) {
  const std::size_t slot = static_cast<std::size_t>(timer);
  if (window_ == nullptr || ended_) return;
  if (enabled) {
    int interval = 0;
    for (const TimerDesc& desc : form_->timers)
      if (desc.timer == timer) interval = desc.intervalMs;
    if (interval <= 0) return;  // an interval of 0 never ticks
    // SetTimer on a running id replaces it: the new interval starts now.
    SetTimer(window_, TimerId(timer), static_cast<UINT>(interval), nullptr);
    timerRunning_[slot] = true;
  } else {
    if (timerRunning_[slot]) KillTimer(window_, TimerId(timer));
    timerRunning_[slot] = false;
  }
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
  if (id >= kFirstKeyId && id < kFirstKeyId + 256) {
    const int index = id - kFirstKeyId;
    if (keys_[static_cast<std::size_t>(index)].desc != nullptr)
      deliver([index](WindowEvents& events) { events.keyClicked(index); });
    return;
  }
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const Control which = static_cast<Control>(i);
    if (id == kFirstControlId + static_cast<int>(i) && which != Control::Text1)
      deliver([which](WindowEvents& events) { events.controlClicked(which); });
  }
}

void Win32WindowSystem::onDrawItem(const DRAWITEMSTRUCT& item) {
  const int id = static_cast<int>(item.CtlID);
  if (id < kFirstKeyId || id >= kFirstKeyId + 256) return;
  KeySlot& slot = keys_[static_cast<std::size_t>(id - kFirstKeyId)];
  if (slot.desc == nullptr) return;
  KeyFace face;
  face.caption = std::string(slot.desc->caption);
  face.backColour = slot.colour;
  face.font = fontFor(slot.desc->font);
  face.picture = &pictures_[static_cast<std::size_t>(slot.desc->picture)];
  PaintKeyButton(item, face, dpi_);
}

void Win32WindowSystem::onTimer(UINT_PTR id) {
  if (id < 1 || id > kTimerCount) return;
  const TimerName timer = static_cast<TimerName>(id - 1);
  // KillTimer leaves a WM_TIMER that was already queued: not ours any more.
  if (!timerRunning_[static_cast<std::size_t>(timer)]) return;
  deliver([timer](WindowEvents& events) { events.timerTicked(timer); });
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
      onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
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
