// Stands in for the platform's standard font object: a font description
// whose Bold and Weight are one setting seen two ways.
#pragma once

#include <cstdint>
#include <string>

#include "seam/basic_types.h"

namespace lumio {

class StdFont {
 public:
  // Size is a currency value: a signed 64-bit count of ten-thousandths of a point.
  static constexpr std::int64_t kSizeScale = 10000;

  const std::string& Name() const { return name_; }

  std::int64_t Size() const { return size_; }
  void Size(std::int64_t tenThousandthsOfAPoint) { size_ = tenThousandthsOfAPoint; }

  // Setting Bold moves Weight to 700 or 400; reading it looks at Weight.
  Boolean Bold() const { return weight_ >= 550 ? kTrue : kFalse; }
  void Bold(Boolean bold) { weight_ = bold != kFalse ? 700 : 400; }

  // The program never changes these: they keep a fresh font's values.
  Boolean Italic() const { return italic_; }
  Boolean Underline() const { return underline_; }
  Boolean Strikethrough() const { return strikethrough_; }
  std::int16_t Weight() const { return weight_; }
  std::int16_t Charset() const { return charset_; }

 private:
  // A fresh standard font object: the classic dialog face at 8.25 pt.
  std::string name_ = "MS Sans Serif";
  std::int64_t size_ = 82500;
  std::int16_t weight_ = 400;
  static constexpr std::int16_t charset_ = 0;
  static constexpr Boolean italic_ = kFalse;
  static constexpr Boolean underline_ = kFalse;
  static constexpr Boolean strikethrough_ = kFalse;
};

// Round-half-to-even of a currency size to whole units; Failure 6 when the
// result does not fit 32 bits.
std::int32_t RoundFontSize(std::int64_t tenThousandths);

}  // namespace lumio
