// What the end-to-end tests and the measurements share: where the program
// is, what it writes, and how to find its message boxes.
#pragma once

#include <X11/Xlib.h>

#include <filesystem>
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

// Every viewable child of the root.
std::vector<::Window> ViewableTopLevels(const XScreen& screen);
// Viewable top-level windows a window manager would manage, other than the
// known ones: the program's message boxes. Our painted texts are windows no
// manager touches, so they never count.
std::vector<::Window> MessageBoxes(const XScreen& screen, const std::set<::Window>& known);

// Repaints the root's background: clears what a killed program left drawn.
void RepaintRoot(const XScreen& screen);

}  // namespace lumio::testing::e2e
