#include "platform/linux/x11/form_children_x11.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_RGB_Image.H>

#include <algorithm>
#include <utility>

#include "platform/linux/x11/colours.h"
#include "platform/linux/x11/text_rules.h"

namespace lumio::x11 {

Fl_Color ToFlColour(Colour colour) {
  const Rgb rgb = ResolveColour(colour);
  return fl_rgb_color(static_cast<uchar>(rgb.r), static_cast<uchar>(rgb.g), static_cast<uchar>(rgb.b));
}

namespace {

Fl_Font ToFlFont(std::string_view faceName) {
  return FamilyOfFace(faceName) == FontFamily::Serif ? FL_TIMES : FL_HELVETICA;
}

void SetFont(Fl_Button& button, const FontDesc& font, int dpi) {
  button.labelfont(ToFlFont(font.name));
  button.labelsize(std::max(1, PixelsFromPoints(font.points, dpi)));
}

}  // namespace

FormChildren::FormChildren(const FormDescription& form, int dpi, std::function<void(const Click&)> clicked)
    : clicked_(std::move(clicked)) {
  // FLTK moves the focus in the order the children were added: add them in
  // the form's tab order.
  const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
  for (const TabStop& entry : form.tabOrder) {
    if (entry.child != nullptr && entry.child->isTextBox) {
      const ChildDesc& child = *entry.child;
      text1_ = new Fl_Input(px(child.left), px(child.top), px(child.width), px(child.height));
      text1_->value(std::string(child.caption).c_str());
      text1_->textfont(ToFlFont(form.font.name));
      text1_->textsize(std::max(1, PixelsFromPoints(form.font.points, dpi)));
      text1_->when(FL_WHEN_NEVER);
      text1_->clear_visible_focus();
    } else if (entry.child != nullptr) {
      const ChildDesc& child = *entry.child;
      Fl_Button* button = addButton(child.left, child.top, child.width, child.height, dpi, {false, 0, child.control});
      button->copy_label(std::string(child.caption).c_str());
      SetFont(*button, form.font, dpi);
    } else if (entry.key->index >= 0 && entry.key->index <= 255) {
      const KeyDesc& key = *entry.key;
      const auto index = static_cast<std::size_t>(key.index);
      Fl_Button* button = addButton(key.left, key.top, key.width, key.height, dpi, {true, key.index, Control::Text1});
      SetFont(*button, key.font, dpi);
      const KeyBitmap& picture = form.pictureOf(key);
      if (picture.width > 0 && picture.height > 0)
        showPicture(*button, picture);
      else
        button->copy_label(std::string(key.caption).c_str());
      if (key.graphical) {
        button->box(FL_UP_BOX);
        button->down_box(FL_DOWN_BOX);
      }
      keys_[index] = button;
      keyGraphical_[index] = key.graphical;
      setKeyBackColor(key.index, key.backColor);
    }
  }
}

FormChildren::~FormChildren() = default;

Fl_Button* FormChildren::addButton(int left, int top, int width, int height, int dpi, const Click& click) {
  const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
  auto* button = new Fl_Button(px(left), px(top), px(width), px(height));
  button->clear_visible_focus();
  bindings_.push_back(std::make_unique<Binding>(Binding{this, click}));
  button->callback(
      [](Fl_Widget*, void* data) {
        const auto* binding = static_cast<const Binding*>(data);
        binding->owner->clicked_(binding->click);
      },
      bindings_.back().get());
  return button;
}

void FormChildren::showPicture(Fl_Button& button, const KeyBitmap& picture) {
  std::vector<unsigned char> rgb;
  rgb.reserve(picture.pixels.size() * 3);
  for (Colour c : picture.pixels) {
    rgb.push_back(static_cast<unsigned char>(RedOf(c)));
    rgb.push_back(static_cast<unsigned char>(GreenOf(c)));
    rgb.push_back(static_cast<unsigned char>(BlueOf(c)));
  }
  pictureData_.push_back(std::move(rgb));
  pictures_.push_back(std::make_unique<Fl_RGB_Image>(pictureData_.back().data(), picture.width, picture.height, 3));
  button.image(pictures_.back().get());
}

void FormChildren::setKeyBackColor(int index, Colour colour) {
  if (index < 0 || index > 255) return;
  const auto i = static_cast<std::size_t>(index);
  Fl_Button* button = keys_[i];
  if (button == nullptr || !keyGraphical_[i]) return;
  const Fl_Color flColour = ToFlColour(colour);
  button->color(flColour);
  button->selection_color(flColour);
  button->redraw();
}

std::string FormChildren::text1() const {
  return text1_ != nullptr && text1_->value() != nullptr ? std::string(text1_->value()) : std::string();
}

}  // namespace lumio::x11
