// The form's children as FLTK widgets: the key buttons with their pictures,
// the command buttons and the text box, in the form's tab order. None of
// them ever shows the focus: showing it asks FLTK's options, and asking
// writes FLTK's preference files (see message_box_x11.h).
#pragma once

#include <FL/Enumerations.H>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "seam/form_description.h"

class Fl_Button;
class Fl_Input;
class Fl_RGB_Image;

namespace lumio::x11 {

// Our colour as FLTK paints it.
Fl_Color ToFlColour(Colour colour);

// What a click on a child names: a key button by its index, or a control.
struct Click {
  bool isKey;
  int index;
  Control control;
};

class FormChildren {
 public:
  // Adds every child to the FLTK group being built, at this resolution;
  // each click calls `clicked`. The widgets belong to that group; this
  // keeps what they show and what their clicks say.
  FormChildren(const FormDescription& form, int dpi, std::function<void(const Click&)> clicked);
  ~FormChildren();
  FormChildren(const FormChildren&) = delete;
  FormChildren& operator=(const FormChildren&) = delete;

  // Graphical key buttons take the colour over their whole face, pressed or
  // not; a standard one keeps its look.
  void setKeyBackColor(int index, Colour colour);
  std::string text1() const;

 private:
  struct Binding {
    FormChildren* owner;
    Click click;
  };
  Fl_Button* addButton(int left, int top, int width, int height, int dpi, const Click& click);
  void showPicture(Fl_Button& button, const KeyBitmap& picture);

  std::function<void(const Click&)> clicked_;
  std::vector<std::vector<unsigned char>> pictureData_;
  std::vector<std::unique_ptr<Fl_RGB_Image>> pictures_;
  std::vector<std::unique_ptr<Binding>> bindings_;
  std::array<Fl_Button*, 256> keys_{};
  std::array<bool, 256> keyGraphical_{};
  Fl_Input* text1_ = nullptr;
};

}  // namespace lumio::x11
