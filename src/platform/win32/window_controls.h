// The main window's children as the form describes them: the text box and
// buttons with ids from kFirstControlId + Control, the key buttons with ids
// from kFirstKeyId + key code, created in the form's tab order and placed,
// with their fonts, at the window's DPI. Graphical key buttons are owner
// drawn in their back colour. The fonts are made when first needed, one per
// face, size and DPI, and live as long as a child may use them.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "platform/win32/key_button_painter.h"
#include "platform/win32/win32_api.h"
#include "seam/form_description.h"

namespace lumio::win32 {

inline constexpr int kFirstControlId = 100;
inline constexpr int kFirstKeyId = 1000;

class WindowControls {
 public:
  WindowControls() = default;
  ~WindowControls() { keepFontsOf(0); }
  WindowControls(const WindowControls&) = delete;
  WindowControls& operator=(const WindowControls&) = delete;

  void create(HWND parent, HINSTANCE instance, const FormDescription& form);
  // Positions, sizes and fonts at dpi: at creation, and on every change of
  // the window's DPI.
  void place(int dpi);

  HWND control(Control control) const { return controls_[static_cast<std::size_t>(control)]; }
  // What a child id stands for: a key button's index, or a control.
  std::optional<int> keyOf(int id) const;
  std::optional<Control> controlOf(int id) const;

  // Repaints a graphical key button's face in the colour; an index without
  // a button changes nothing.
  void setKeyColour(int index, Colour colour);
  // WM_DRAWITEM of an owner-drawn key button.
  void paintKey(const DRAWITEMSTRUCT& item);

 private:
  struct KeySlot {
    HWND button = nullptr;
    const KeyDesc* desc = nullptr;
    Colour colour = kButtonFace;
  };

  HFONT fontFor(const FontDesc& font, int dpi);
  // Deletes the fonts made for any other DPI.
  void keepFontsOf(int dpi);

  const FormDescription* form_ = nullptr;
  int dpi_ = 96;
  std::map<std::tuple<std::string, double, int>, HFONT> fonts_;
  std::array<HWND, kControlCount> controls_{};
  std::array<KeySlot, 256> keys_{};
  std::array<PictureDib, kKeyPictureCount> pictures_;  // by KeyPicture
};

}  // namespace lumio::win32
