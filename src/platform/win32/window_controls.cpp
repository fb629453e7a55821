#include "platform/win32/window_controls.h"

#include <cmath>

namespace lumio::win32 {

namespace {

HWND CreateChild(HWND parent, HINSTANCE instance, DWORD exStyle, const char* windowClass, std::string_view caption,
                 DWORD style, int id) {
  return CreateWindowExA(exStyle, windowClass, std::string(caption).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | style,
                         0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

}  // namespace

void WindowControls::create(HWND parent, HINSTANCE instance, const FormDescription& form) {
  form_ = &form;
  for (std::size_t i = 0; i < pictures_.size() && i < form.pictures.size(); ++i)
    pictures_[i] = PictureDib(form.pictures[i]);
  // Creation order is the Tab order.
  for (const TabStop& item : form.tabOrder) {
    if (item.child != nullptr) {
      const ChildDesc& child = *item.child;
      const int id = kFirstControlId + static_cast<int>(child.control);
      controls_[static_cast<std::size_t>(child.control)] =
          child.isTextBox ? CreateChild(parent, instance, WS_EX_CLIENTEDGE, "EDIT", child.caption,
                                        ES_LEFT | ES_AUTOHSCROLL, id)
                          : CreateChild(parent, instance, 0, "BUTTON", child.caption, BS_PUSHBUTTON, id);
    } else {
      const KeyDesc& key = *item.key;
      KeySlot& slot = keys_[static_cast<std::size_t>(key.index & 0xFF)];
      slot.desc = &key;
      slot.colour = key.backColor;
      slot.button = CreateChild(parent, instance, 0, "BUTTON", key.caption,
                                key.graphical ? BS_OWNERDRAW : BS_PUSHBUTTON, kFirstKeyId + key.index);
    }
  }
}

void WindowControls::place(int dpi) {
  if (form_ == nullptr) return;
  dpi_ = dpi;
  const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
  for (const ChildDesc& child : form_->children) {
    const HWND hwnd = control(child.control);
    MoveWindow(hwnd, px(child.left), px(child.top), px(child.width), px(child.height), FALSE);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(form_->font, dpi)), FALSE);
  }
  for (const KeyDesc& key : form_->keys) {
    const HWND hwnd = keys_[static_cast<std::size_t>(key.index & 0xFF)].button;
    MoveWindow(hwnd, px(key.left), px(key.top), px(key.width), px(key.height), FALSE);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(key.font, dpi)), FALSE);
  }
  // The children used the old fonts until they were handed the new ones.
  keepFontsOf(dpi);
}

std::optional<int> WindowControls::keyOf(int id) const {
  const int index = id - kFirstKeyId;
  if (index < 0 || index > 255 || keys_[static_cast<std::size_t>(index)].desc == nullptr) return std::nullopt;
  return index;
}

std::optional<Control> WindowControls::controlOf(int id) const {
  const int index = id - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(kControlCount)) return std::nullopt;
  return static_cast<Control>(index);
}

void WindowControls::setKeyColour(int index, Colour colour) {
  if (index < 0 || index > 255) return;
  KeySlot& slot = keys_[static_cast<std::size_t>(index)];
  if (slot.desc == nullptr) return;
  slot.colour = colour;
  // A standard (non-graphical) button shows no back colour: nothing to repaint.
  if (slot.desc->graphical && slot.button != nullptr) InvalidateRect(slot.button, nullptr, FALSE);
}

HFONT WindowControls::fontFor(const FontDesc& font, int dpi) {
  auto key = std::make_tuple(std::string(font.name), font.points, dpi);
  if (const auto found = fonts_.find(key); found != fonts_.end()) return found->second;
  const int height = -static_cast<int>(std::lround(font.points * dpi / 72.0));
  const HFONT made = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                 std::get<0>(key).c_str());
  fonts_.emplace(std::move(key), made);
  return made;
}

void WindowControls::keepFontsOf(int dpi) {
  for (auto entry = fonts_.begin(); entry != fonts_.end();) {
    if (std::get<2>(entry->first) == dpi) {
      ++entry;
    } else {
      if (entry->second != nullptr) DeleteObject(entry->second);
      entry = fonts_.erase(entry);
    }
  }
}

void WindowControls::paintKey(const DRAWITEMSTRUCT& item) {
  const std::optional<int> index = keyOf(static_cast<int>(item.CtlID));
  if (!index) return;
  const KeySlot& slot = keys_[static_cast<std::size_t>(*index)];
  KeyFace face;
  face.caption = std::string(slot.desc->caption);
  face.backColour = slot.colour;
  face.font = fontFor(slot.desc->font, dpi_);
  face.picture = &pictures_[static_cast<std::size_t>(slot.desc->picture)];
  PaintKeyButton(item, face, dpi_);
}

}  // namespace lumio::win32
