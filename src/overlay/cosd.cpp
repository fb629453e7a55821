#include "overlay/cosd.h"

namespace lumio {

void cOSD::ShowText(std::string_view aText, std::int32_t aTop, std::int32_t aLeft, Colour aFontColor) {
  // Read and convert everything first: a failure must stop us before any
  // font is created or anything is drawn.
  const std::int64_t size = font_->Size();
  const std::int16_t weight = font_->Weight();
  const Boolean italic = font_->Italic();
  const Boolean underline = font_->Underline();
  const Boolean strikethrough = font_->Strikethrough();
  const std::int16_t charset = font_->Charset();

  FontRequest request;
  request.height = RoundFontSize(size);  // points used as pixels, unscaled
  request.weight = weight;
  request.italic = italic;  // widened with the sign: True stays -1
  request.underline = underline;
  request.strikeOut = strikethrough;
  request.charset = charset;
  request.faceName = font_->Name();

  surface_.drawText(request, aLeft, aTop, aFontColor, aText);
}

void cOSD::RemoveText() { surface_.repaintAll(); }

}  // namespace lumio
