// Message boxes of our own, built from FLTK widgets. FLTK's own boxes
// (fl_message, fl_alert), and every widget that shows where the focus is,
// ask FLTK's options, and the first question writes FLTK's preference
// files into the user's home folder and, as root, into /etc. Nothing here
// asks: the box's one button never takes the focus and its click is not
// FLTK's usual one.
#pragma once

#include <string_view>

#include "seam/window_system.h"

namespace lumio::x11 {

// Modal, under the pointer as FLTK's own boxes are: an icon (a blue "i" on
// white, or a white "!" on a red disc), the text and one "OK" button. Returns
// once the user dismisses it (OK, Enter, Escape, the window's close button)
// or CloseMessageBoxes() takes it away. FLTK's loop runs meanwhile: timers
// keep ticking.
void ShowMessageBox(std::string_view text, MessageIcon icon, std::string_view caption);

// Takes every open box away; the calls showing them return.
void CloseMessageBoxes();

}  // namespace lumio::x11
