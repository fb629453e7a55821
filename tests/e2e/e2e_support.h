// What the end-to-end tests and the measurements share: where the program
// is, how to find its windows, and how to read green text off the screen.
#pragma once

#include <X11/Xlib.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/x_screen.h"

namespace lumio::testing::e2e {

inline constexpr const char* kTitle = "Lumio - Caps Lock";

// The announcement and banner area: text starts at x=250, y=300; the 72 px
// announcement is the tallest thing painted there, the banner's last line
// ends at y=420.
inline constexpr int kTextLeft = 250;
inline constexpr int kTextTop = 300;

// The program under test: $LUMIO_EXE when set, else the one this was built with.
std::filesystem::path ProgramExecutable();

// The 422 bytes a missing list file is replaced with: the codes 1-83 and
// twenty more, each followed by CR LF.
std::string DefaultKeyListBytes();


// Viewable windows carrying the title (WM_NAME or _NET_WM_NAME), searched
// from the root down a few levels so a reparenting window manager's frames
// do not hide them.
std::vector<::Window> ViewableWindowsTitled(const XScreen& screen, const std::string& title);
// Every viewable child of the root.
std::vector<::Window> ViewableTopLevels(const XScreen& screen);
// Viewable top-level windows a window manager would manage, other than the
// known ones: the program's message boxes. Our painted texts are windows no
// manager touches, so they never count.
std::vector<::Window> MessageBoxes(const XScreen& screen, const std::set<::Window>& known);

// Repaints the root's background: clears what a killed program left drawn.
void RepaintRoot(const XScreen& screen);

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

}  // namespace lumio::testing::e2e
