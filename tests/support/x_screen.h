// Test-side access to a real X display: read the screen back, press keys
// through XTest, make windows of our own and watch them.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/wait.h"

namespace lumio::testing {

struct Rgb {
  int r, g, b;
};

struct ScreenImage {
  int x = 0, y = 0, width = 0, height = 0;
  std::vector<Rgb> pixels;  // row by row
  Rgb at(int px, int py) const { return pixels[static_cast<std::size_t>(py * width + px)]; }
};

// _NET_WM_NAME, or WM_NAME when that is missing; empty when neither is set.
std::string TitleOf(Display* dpy, ::Window window);

class XScreen;

// The window's children, bottom to top; none for a window that is gone.
std::vector<::Window> ChildrenOf(Display* dpy, ::Window window);
// A property of 32-bit items (as Xlib hands them over: one per long), up
// to `most` of them; none when it is not set.
std::vector<unsigned long> PropertyOf(Display* dpy, ::Window window, const char* name, long most = 64);

// What a window manager sends when the user closes a window.
void SendDeleteWindow(const XScreen& screen, ::Window window);

// Pure green text as the overlay paints it (anti-aliased edges excluded).
bool IsOverlayGreen(Rgb c);

// Where the overlay-green pixels of an image are.
struct GreenArea {
  int count = 0;
  int left = 0, right = -1, top = 0, bottom = -1;  // screen coordinates, inclusive
  std::vector<int> rowCounts;                       // one per image row
  bool any() const { return count > 0; }
};
GreenArea FindGreen(const ScreenImage& image);
GreenArea GrabGreen(const XScreen& screen, int x, int y, int width, int height);
// The first row (screen y) in [from, to) that has green, if any.
std::optional<int> FirstGreenRow(const GreenArea& area, int imageTop, int from, int to);

// Viewable windows carrying the title (WM_NAME or _NET_WM_NAME), searched
// from the root down a few levels so that a window manager's frames or
// Wine's virtual desktop do not hide them.
std::vector<::Window> ViewableWindowsTitled(const XScreen& screen, const std::string& title);

class XScreen {
 public:
  // Opens $DISPLAY; throws std::runtime_error with a clear message without one.
  XScreen();
  ~XScreen();
  XScreen(const XScreen&) = delete;
  XScreen& operator=(const XScreen&) = delete;

  Display* display() const { return dpy_; }
  ::Window root() const;
  int width() const;
  int height() const;

  ScreenImage grab(int x, int y, int width, int height) const;
  int countGreen(int x, int y, int width, int height) const;

  // A plain top-level window filled with one colour, mapped and viewable
  // when this returns. desktopType marks it _NET_WM_WINDOW_TYPE_DESKTOP.
  ::Window createWindow(int x, int y, int width, int height, std::uint32_t rgb, bool desktopType = false,
                        const std::string& title = "lumio test window");
  void destroyWindow(::Window window);
  bool isViewable(::Window window) const;
  void setFocus(::Window window);

  void pressKey(unsigned long keysym);
  void releaseKey(unsigned long keysym);
  void tapKey(unsigned long keysym);

  // Caps Lock's indicator as the server has it.
  bool capsLockOn() const;

  void sync() const;

 private:
  Display* dpy_ = nullptr;
};

}  // namespace lumio::testing
