#include "keymonitor/key_list.h"

#include <algorithm>
#include <limits>

#include "seam/failure.h"

namespace lumio {

namespace {

constexpr std::int64_t kSaturate = 1'000'000'000;  // far beyond any 32-bit code

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsExponentMark(char c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; }

}  // namespace

void KeyCodeParser::reset() {
  state_ = State::Leading;
  separatorMatched_ = 0;
  negative_ = false;
  sawMantissaDigit_ = false;
  exponentNegative_ = false;
  keptDigits_ = 0;
  nonzeroBeyondKept_ = false;
  integerSignificant_ = 0;
  fractionLeadingZeros_ = 0;
  exponent_ = 0;
}

void KeyCodeParser::digit(int d, bool inFraction) {
  sawMantissaDigit_ = true;
  const bool significantSoFar = keptDigits_ > 0 || nonzeroBeyondKept_;
  if (!significantSoFar && d == 0) {
    if (inFraction) fractionLeadingZeros_ = std::min(fractionLeadingZeros_ + 1, kSaturate);
    return;  // a leading zero carries no value
  }
  if (!inFraction) integerSignificant_ = std::min(integerSignificant_ + 1, kSaturate);
  if (keptDigits_ < kKeptDigits)
    digits_[keptDigits_++] = static_cast<char>(d);
  else if (d != 0)
    nonzeroBeyondKept_ = true;
}

void KeyCodeParser::startSeparator(char c) {
  if (separator_.empty() || c != separator_[0]) {
    state_ = State::Bad;
    return;
  }
  separatorMatched_ = 1;
  state_ = separator_.size() == 1 ? State::Fraction : State::Separator;
}

void KeyCodeParser::feed(char c) {
  const bool isDigit = c >= '0' && c <= '9';
  switch (state_) {
    case State::Leading:
      if (IsBlank(c)) return;
      if (c == '+' || c == '-') {
        negative_ = c == '-';
        state_ = State::Sign;
        return;
      }
      [[fallthrough]];
    case State::Sign:
      if (isDigit) {
        state_ = State::Integer;
        digit(c - '0', false);
      } else {
        startSeparator(c);
      }
      return;
    case State::Separator:
      if (c == separator_[separatorMatched_]) {
        if (++separatorMatched_ == separator_.size()) state_ = State::Fraction;
      } else {
        state_ = State::Bad;
      }
      return;
    case State::Integer:
      if (isDigit) digit(c - '0', false);
      else if (IsExponentMark(c)) state_ = State::ExponentMark;
      else if (IsBlank(c)) state_ = State::Trailing;
      else startSeparator(c);
      return;
    case State::Fraction:
      if (isDigit) digit(c - '0', true);
      else if (IsExponentMark(c) && sawMantissaDigit_) state_ = State::ExponentMark;
      else if (IsBlank(c) && sawMantissaDigit_) state_ = State::Trailing;
      else state_ = State::Bad;
      return;
    case State::ExponentMark:
      if (c == '+' || c == '-') {
        exponentNegative_ = c == '-';
        state_ = State::ExponentSign;
        return;
      }
      [[fallthrough]];
    case State::ExponentSign:
    case State::Exponent:
      if (isDigit) {
        exponent_ = std::min(exponent_ * 10 + (c - '0'), kSaturate);
        state_ = State::Exponent;
      } else if (IsBlank(c) && state_ == State::Exponent) {
        state_ = State::Trailing;
      } else {
        state_ = State::Bad;
      }
      return;
    case State::Trailing:
      if (!IsBlank(c)) state_ = State::Bad;
      return;
    case State::Bad:
      return;
  }
}

std::int32_t KeyCodeParser::finish() const {
  const bool complete = state_ == State::Integer || state_ == State::Exponent || state_ == State::Trailing ||
                        (state_ == State::Fraction && sawMantissaDigit_);
  if (!complete) throw failures::TypeMismatch();
  if (keptDigits_ == 0) return 0;  // every digit was a zero

  // The value is 0.d1d2d3... times ten to the power `point`.
  std::int64_t point = integerSignificant_ > 0 ? integerSignificant_ : -fractionLeadingZeros_;
  point += exponentNegative_ ? -exponent_ : exponent_;
  if (point > 10) throw failures::Overflow();  // at least 10^10
  if (point <= 0) return negative_ ? -1 : 0;   // strictly between -1 and 1, not zero

  std::int64_t whole = 0;
  for (int i = 0; i < point; ++i) whole = whole * 10 + (i < keptDigits_ ? digits_[i] : 0);
  bool fractionNonzero = nonzeroBeyondKept_;
  for (int i = static_cast<int>(point); i < keptDigits_; ++i) fractionNonzero = fractionNonzero || digits_[i] != 0;

  const std::int64_t code = negative_ ? -whole - (fractionNonzero ? 1 : 0) : whole;
  if (code < std::numeric_limits<std::int32_t>::min() || code > std::numeric_limits<std::int32_t>::max())
    throw failures::Overflow();
  return static_cast<std::int32_t>(code);
}

namespace {

// Closes the pass's file on every way out, a failure of the action included.
class OpenListFile {
 public:
  OpenListFile(ListFileAccess& files, const std::filesystem::path& file) : files_(files) {
    files_.openForReading(file);
  }
  ~OpenListFile() { files_.close(); }
  OpenListFile(const OpenListFile&) = delete;
  OpenListFile& operator=(const OpenListFile&) = delete;

 private:
  ListFileAccess& files_;
};

}  // namespace

void ReadKeyList(ListFileAccess& files, const std::filesystem::path& file, std::string_view decimalSeparator,
                 KeyListAction& action) {
  const OpenListFile open(files, file);

  KeyCodeParser parser(decimalSeparator);
  char keptLine[kKeyLineKeptBytes];
  std::size_t keptLength = 0;
  std::size_t lines = 0;
  std::size_t bytes = 0;
  bool lineOpen = false;    // bytes seen since the last line break
  bool afterCr = false;     // an LF right after a CR belongs to that break

  const auto endLine = [&] {
    if (++lines > kKeyListMaxLines) throw KeyListTooLong();
    const std::int32_t code = parser.finish();
    action(std::string_view(keptLine, keptLength), code);
    parser.reset();
    keptLength = 0;
    lineOpen = false;
  };

  char buffer[4096];
  for (;;) {
    const std::size_t got = files.read(buffer, sizeof buffer);
    if (got == 0) break;
    bytes += got;
    if (bytes > kKeyListMaxBytes) throw KeyListTooLong();
    for (std::size_t i = 0; i < got; ++i) {
      const char c = buffer[i];
      if (afterCr) {
        afterCr = false;
        if (c == '\n') continue;
      }
      if (c == '\r') {
        afterCr = true;
        endLine();
        continue;
      }
      lineOpen = true;
      if (keptLength < kKeyLineKeptBytes) keptLine[keptLength++] = c;
      parser.feed(c);
    }
  }
  if (lineOpen) endLine();  // a last line without a line break still counts
}

const std::string& DefaultKeyListBytes() {
  static const std::string bytes = [] {
    std::string text;
    const auto add = [&text](int code) { text += std::to_string(code) + "\r\n"; };
    for (int code = 1; code <= 83; ++code) add(code);
    for (int code : {88, 156, 157, 181, 183, 184, 197, 199, 200, 201, 203, 205, 207, 208, 209, 210, 211, 219, 220, 221})
      add(code);
    return text;
  }();
  return bytes;
}

bool WriteDefaultKeyList(ListFileAccess& files, const std::filesystem::path& file) {
  return files.createNew(file, DefaultKeyListBytes());
}

}  // namespace lumio
