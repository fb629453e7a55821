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
  void Name(std::string name) { name_ = std::move(name); }

  std::int64_t Size() const { return size_; }
  void Size(std::int64_t tenThousandthsOfAPoint) { size_ = tenThousandthsOfAPoint; }
  void SizePoints(double points);

  // Setting Bold moves Weight to 700 or 400; reading it looks at Weight.
  Boolean Bold() const { return weight_ >= 550 ? kTrue : kFalse; }
  void Bold(Boolean bold) { weight_ = bold != kFalse ? 700 : 400; }

  Boolean Italic() const { return italic_; }
  void Italic(Boolean v) { italic_ = v != kFalse ? kTrue : kFalse; }
  Boolean Underline() const { return underline_; }
  void Underline(Boolean v) { underline_ = v != kFalse ? kTrue : kFalse; }
  Boolean Strikethrough() const { return strikethrough_; }
  void Strikethrough(Boolean v) { strikethrough_ = v != kFalse ? kTrue : kFalse; }

  std::int16_t Weight() const { return weight_; }
  void Weight(std::int16_t weight) { weight_ = weight; }
  std::int16_t Charset() const { return charset_; }
  void Charset(std::int16_t charset) { charset_ = charset; }

 private:
  // A fresh standard font object: the classic dialog face at 8.25 pt.
  std::string name_ = "MS Sans Serif";
  std::int64_t size_ = 82500;
  std::int16_t weight_ = 400;
  std::int16_t charset_ = 0;
  Boolean italic_ = kFalse;
  Boolean underline_ = kFalse;
  Boolean strikethrough_ = kFalse;
};

// Round-half-to-even of a currency size to whole units; Failure 6 when the
// result does not fit 32 bits.
std::int32_t RoundFontSize(std::int64_t tenThousandths);

}  // namespace lumio
