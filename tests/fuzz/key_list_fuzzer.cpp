// libFuzzer target for the key list reader: any bytes, read as a whole file
// pass, must give for each handled line the code that an independent
// reading gives (floor of strtold, the separator turned into a point), and
// a failure only where that reading finds no number or one beyond 32 bits.
//
// The first byte picks the decimal separator; the rest is the file.
#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "keymonitor/key_list.h"

namespace {

using lumio::Failure;

// The file, served from memory.
class MemoryListFiles final : public lumio::ListFileAccess {
 public:
  explicit MemoryListFiles(std::string_view bytes) : bytes_(bytes) {}
  void openForReading(const std::filesystem::path&) override { offset_ = 0; }
  std::size_t read(char* buffer, std::size_t size) override {
    // Odd block sizes: a line break split across two reads must not matter.
    const std::size_t n = std::min({size, bytes_.size() - offset_, std::size_t{7}});
    std::memcpy(buffer, bytes_.data() + offset_, n);
    offset_ += n;
    return n;
  }
  void close() noexcept override {}
  bool createNew(const std::filesystem::path&, std::string_view) override { return false; }

 private:
  std::string_view bytes_;
  std::size_t offset_ = 0;
};

struct Collect final : lumio::KeyListAction {
  std::vector<std::int32_t> codes;
  void operator()(std::string_view, std::int32_t code) override { codes.push_back(code); }
};

// Lines as the file format has them: CR LF or a lone CR ends one, a lone LF
// is text, a last line without a break counts.
std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line += bytes[i];
      open = true;
    }
  }
  if (open) lines.push_back(line);
  return lines;
}

struct Oracle {
  bool number = false;   // strtold took the whole text
  bool overflow = false; // beyond 32 bits
  long double value = 0;
  bool plainText = false;  // only characters both readings agree on
};

Oracle Read(const std::string& line, std::string_view separator) {
  Oracle oracle;
  // The text between the blanks around it, the separator as a point, and
  // anything strtold would take that our format does not made unreadable.
  std::size_t begin = 0, end = line.size();
  while (begin < end && (line[begin] == ' ' || line[begin] == '\t')) ++begin;
  while (end > begin && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
  std::string text;
  oracle.plainText = true;
  for (std::size_t i = begin; i < end;) {
    if (line.compare(i, separator.size(), separator) == 0) {
      text += '.';
      i += separator.size();
      continue;
    }
    const char c = line[i++];
    if (c == 'd' || c == 'D') {
      text += 'e';  // the exponent mark of the old BASIC notation
      oracle.plainText = false;
    } else if (c == '.' || std::strchr("xXpPiInNaAfFtTyY(", c) != nullptr || c == '\0') {
      text += '#';  // a point that is not the separator, hex, inf, nan: not ours
    } else {
      text += c;
      if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == 'e' || c == 'E')) oracle.plainText = false;
    }
  }
  if (text.empty() || text[0] == ' ' || text[0] == '\t' || text[0] == '\n' || text[0] == '\v' || text[0] == '\f' ||
      text[0] == '\r')
    return oracle;  // blank, or a space strtold would skip and we would not
  errno = 0;
  char* stop = nullptr;
  oracle.value = std::strtold(text.c_str(), &stop);
  oracle.number = stop == text.c_str() + text.size();
  if (!oracle.number) return oracle;
  if (errno == ERANGE && std::fabs(oracle.value) < 1) {
    // Below the smallest long double, yet not zero.
    oracle.value = std::signbit(oracle.value) ? -0.5L : 0.0L;
  }
  return oracle;
}

[[noreturn]] void Mismatch(const std::string& line, const char* what, long long got) {
  std::fprintf(stderr, "line \"%s\": %s (reader gave %lld)\n", line.c_str(), what, got);
  std::abort();
}

void Check(const std::string& line, std::string_view separator, bool accepted, std::int32_t code, int failure) {
  const Oracle oracle = Read(line, separator);
  constexpr long double kMin = std::numeric_limits<std::int32_t>::min();
  constexpr long double kMax = std::numeric_limits<std::int32_t>::max();
  if (!oracle.number) {
    if (accepted) Mismatch(line, "accepted, but it is no number", code);
    return;
  }
  const long double v = oracle.value;
  const long double floored = std::floor(v);
  // strtold rounds; only where the rounding may have crossed a whole number
  // may the exact answer be its neighbour.
  const long double slack = std::max(std::fabs(v), 1.0L) * LDBL_EPSILON * 4;
  const bool nearBelow = v - floored <= slack;       // might really lie under `floored`
  const bool nearAbove = floored + 1 - v <= slack;   // might really reach `floored + 1`
  if (accepted) {
    const long double c = code;
    if (c == floored || (nearBelow && c == floored - 1) || (nearAbove && c == floored + 1)) return;
    Mismatch(line, "code differs from floor(strtold)", code);
  }
  if (failure == lumio::failures::kOverflow) {
    if (std::isinf(v) || floored - (nearBelow ? 1 : 0) < kMin || floored + (nearAbove ? 1 : 0) > kMax) return;
    Mismatch(line, "overflow, but the value fits", failure);
  }
  if (failure == lumio::failures::kTypeMismatch && oracle.plainText)
    Mismatch(line, "refused, but it is a plain number", failure);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static constexpr std::string_view kSeparators[] = {".", ",", "\xd9\xab"};
  const std::string_view separator = kSeparators[data[0] % 3];
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  MemoryListFiles files(bytes);
  Collect collect;
  int failure = 0;
  try {
    lumio::ReadKeyList(files, "list.txt", separator, collect);
  } catch (const Failure& f) {
    failure = f.number();
  }
  const std::vector<std::string> lines = SplitLines(bytes);
  const std::size_t handled = collect.codes.size();
  if (failure == 0 && handled != lines.size())
    Mismatch("(whole file)", "not every line was handled", static_cast<long long>(handled));
  if (failure != 0 && handled >= lines.size()) Mismatch("(whole file)", "a failure after the last line", failure);
  for (std::size_t i = 0; i < handled; ++i) Check(lines[i], separator, true, collect.codes[i], 0);
  if (failure != 0) Check(lines[handled], separator, false, 0, failure);
  return 0;
}
