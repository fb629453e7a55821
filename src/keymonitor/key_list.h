// "list.txt": the watched key codes, one per line, read whole on every pass.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "seam/failure.h"
#include "seam/list_file_access.h"

namespace lumio {

inline constexpr std::string_view kKeyListName = "list.txt";
// How much of a line's text is handed on with its code; nobody needs more.
inline constexpr std::size_t kKeyLineKeptBytes = 256;

// Receives each line's text and code, in file order. It may throw; the file
// is closed before the failure goes on.
class KeyListAction {
 public:
  virtual void operator()(std::string_view keyLine, std::int32_t keyCode) = 0;

 protected:
  ~KeyListAction() = default;
};

// Codes run from 0 to 255, so a real list is a few kilobytes. A pass over
// anything far beyond that would outlast the 20 ms tick and starve the
// announcement; it stops with a failure of its own instead.
inline constexpr std::size_t kKeyListMaxBytes = 1024 * 1024;
inline constexpr std::size_t kKeyListMaxLines = 65536;
inline constexpr std::int32_t kKeyListTooLongNumber = 7;
inline Failure KeyListTooLong() {
  return {kKeyListTooLongNumber, "list.txt is too long (more than 65536 lines or 1 MiB)"};
}

// One pass over the file. Lines end at CR LF or a lone CR; a lone LF stays in
// the line. Failures: those of ListFileAccess::openForReading, 13 not a
// number (a blank line too), 6 beyond 32 bits, 7 too long. Memory stays
// bounded and nothing is allocated, whatever the file holds.
void ReadKeyList(ListFileAccess& files, const std::filesystem::path& file, std::string_view decimalSeparator,
                 KeyListAction& action);

// Creates the file with the 103 default codes, CR LF after each: 422 bytes
// in one write. Whatever already bears the name is left alone (false): the
// next pass reads it or reports it.
bool WriteDefaultKeyList(ListFileAccess& files, const std::filesystem::path& file);
const std::string& DefaultKeyListBytes();

// Turns one line's text into its key code: blanks around, a sign, a fraction
// with the given separator and an exponent are accepted; the value is
// rounded toward negative infinity. Exact for any length of text.
class KeyCodeParser {
 public:
  explicit KeyCodeParser(std::string_view decimalSeparator) : separator_(decimalSeparator) {}
  void reset();
  void feed(char c);
  // Throws Failure 13 or 6.
  std::int32_t finish() const;

 private:
  enum class State { Leading, Sign, Separator, Integer, Fraction, ExponentMark, ExponentSign, Exponent, Trailing, Bad };
  static constexpr int kKeptDigits = 24;

  void digit(int d, bool inFraction);
  void startSeparator(char c);

  std::string_view separator_;
  State state_ = State::Leading;
  std::size_t separatorMatched_ = 0;
  bool negative_ = false;
  bool sawMantissaDigit_ = false;
  bool exponentNegative_ = false;
  char digits_[kKeptDigits] = {};
  int keptDigits_ = 0;
  bool nonzeroBeyondKept_ = false;
  std::int64_t integerSignificant_ = 0;     // significant digits before the separator
  std::int64_t fractionLeadingZeros_ = 0;   // zeros after the separator before the first significant digit
  std::int64_t exponent_ = 0;
};

}  // namespace lumio
