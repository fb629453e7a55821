#include "platform/linux/os/font_pattern.h"

#include <string>

#include "platform/linux/x11/text_rules.h"

namespace lumio::os {

FcPattern* FontRequestPattern(const FontRequest& request, double pixelSize) {
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return nullptr;
  const std::string& face = request.faceName;
  if (!face.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  // The Windows face names are seldom installed: the generic family after
  // them keeps fontconfig's fallback of the right kind.
  const char* generic = x11::FamilyOfFace(face) == x11::FontFamily::Serif ? "serif" : "sans-serif";
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(generic));
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelSize);
  FcPatternAddInteger(pattern, FC_WEIGHT, x11::FontconfigWeight(request.weight));
  FcPatternAddInteger(pattern, FC_SLANT, request.italic != 0 ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  return pattern;
}

}  // namespace lumio::os
