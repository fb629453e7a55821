#include "overlay/std_font.h"

#include <limits>

#include "seam/failure.h"

namespace lumio {

std::int32_t RoundFontSize(std::int64_t tenThousandths) {
  std::int64_t whole = tenThousandths / StdFont::kSizeScale;
  std::int64_t rest = tenThousandths % StdFont::kSizeScale;
  if (rest < 0) {  // make it a floor so that the halfway test is one-sided
    rest += StdFont::kSizeScale;
    --whole;
  }
  const std::int64_t half = StdFont::kSizeScale / 2;
  if (rest > half || (rest == half && (whole & 1) != 0)) ++whole;
  if (whole < std::numeric_limits<std::int32_t>::min() || whole > std::numeric_limits<std::int32_t>::max())
    throw failures::Overflow();
  return static_cast<std::int32_t>(whole);
}

}  // namespace lumio
