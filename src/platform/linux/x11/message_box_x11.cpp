#include "platform/linux/x11/message_box_x11.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <string>

namespace lumio::x11 {

namespace {

// FLTK's own boxes' measures.
constexpr int kIconSize = 50;
constexpr int kMargin = 10;
constexpr int kLeastTextWidth = 340;
constexpr int kLeastTextHeight = 30;
constexpr int kLeastButtonWidth = 60;
constexpr int kLeastButtonHeight = 25;

// Fl_Button asks whether focus is shown on every press; pressed here, it
// goes down as if dragged onto, which asks nothing. Enter presses it;
// Escape closes the box, as FLTK closes any window on Escape.
class OkButton final : public Fl_Return_Button {
 public:
  OkButton() : Fl_Return_Button(0, 0, 0, 0, "OK") { clear_visible_focus(); }
  int handle(int event) override { return Fl_Return_Button::handle(event == FL_PUSH ? FL_DRAG : event); }
};

}  // namespace

void ShowMessageBox(std::string_view text, MessageIcon icon, std::string_view caption) {
  const std::string body(text);
  const bool stop = icon == MessageIcon::Stop;
  fl_beep(stop ? FL_BEEP_ERROR : FL_BEEP_MESSAGE);

  Fl_Group* const current = Fl_Group::current();
  Fl_Group::current(nullptr);  // a window of its own, not a child of one being built
  Fl_Window window(0, 0);
  window.copy_label(std::string(caption).c_str());
  auto* mark = new Fl_Box(kMargin, kMargin, kIconSize, kIconSize, stop ? "!" : "i");
  mark->box(stop ? FL_OVAL_BOX : FL_THIN_UP_BOX);
  mark->color(stop ? FL_RED : FL_WHITE);
  mark->labelcolor(stop ? FL_WHITE : FL_BLUE);
  mark->labelfont(FL_TIMES_BOLD);
  mark->labelsize(kIconSize - 10);
  auto* message = new Fl_Box(0, 0, 0, 0);
  message->copy_label(body.c_str());
  message->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
  auto* ok = new OkButton;
  ok->callback([](Fl_Widget* button, void*) { button->window()->hide(); });
  window.end();
  Fl_Group::current(current);

  // Sized to the text and the button, as FLTK sizes its own.
  int textWidth = 0, textHeight = 0, buttonWidth = 0, buttonHeight = 0;
  fl_font(message->labelfont(), message->labelsize());
  fl_measure(body.c_str(), textWidth, textHeight);
  textWidth = std::max(textWidth + 10, kLeastTextWidth);
  textHeight = std::max(textHeight + 10, kLeastTextHeight);
  fl_font(ok->labelfont(), ok->labelsize());
  fl_measure(ok->label(), buttonWidth, buttonHeight);
  buttonWidth = std::max(buttonWidth + 30, kLeastButtonWidth) + kMargin;
  buttonHeight = std::max(buttonHeight + 10, kLeastButtonHeight);
  const int width = std::max(textWidth + kMargin + kIconSize, buttonWidth - kMargin) + 2 * kMargin;
  const int height = buttonHeight + 3 * kMargin + textHeight;
  window.size(width, height);
  window.size_range(width, height, width, height);
  message->resize(2 * kMargin + kIconSize, kMargin, width - 3 * kMargin - kIconSize, textHeight);
  ok->resize(width - buttonWidth, height - kMargin - buttonHeight, buttonWidth - kMargin, buttonHeight);

  window.set_modal();
  window.hotspot(ok);
  window.show();
  while (window.shown()) Fl::wait();
}

void CloseMessageBoxes() {
  // A box open in a nested loop returns once its window is gone.
  for (int guard = 0; guard < 16 && Fl::modal() != nullptr; ++guard) Fl::modal()->hide();
}

}  // namespace lumio::x11
