#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_platform.h"
#include "keymonitor/key_list.h"

namespace lumio {
namespace {

using fakes::TempFolder;

std::int32_t Parse(std::string_view text, std::string_view separator = ".") {
  KeyCodeParser parser(separator);
  for (char c : text) parser.feed(c);
  return parser.finish();
}

int FailureOf(std::string_view text, std::string_view separator = ".") {
  try {
    Parse(text, separator);
  } catch (const Failure& f) {
    return f.number();
  }
  return 0;
}

TEST(KeyCodeParser, NumbersRoundTowardNegativeInfinity) {
  EXPECT_EQ(Parse("58"), 58);
  EXPECT_EQ(Parse(" 58.9 "), 58);
  EXPECT_EQ(Parse("\t58\t"), 58);
  EXPECT_EQ(Parse("-0.5"), -1);
  EXPECT_EQ(Parse("-0"), 0);
  EXPECT_EQ(Parse("+7"), 7);
  EXPECT_EQ(Parse("0058"), 58);
  EXPECT_EQ(Parse(".5"), 0);
  EXPECT_EQ(Parse("58."), 58);
  EXPECT_EQ(Parse("5.8e1"), 58);
  EXPECT_EQ(Parse("580E-1"), 58);
  EXPECT_EQ(Parse("1D2"), 100);
  EXPECT_EQ(Parse("-1.000001"), -2);
  EXPECT_EQ(Parse("0.0000"), 0);
  EXPECT_EQ(Parse("2147483647"), 2147483647);
  EXPECT_EQ(Parse("-2147483648"), INT32_MIN);
  EXPECT_EQ(Parse("2147483647.999"), 2147483647);
  EXPECT_EQ(Parse("1e-400"), 0);
  EXPECT_EQ(Parse("-1e-400"), -1);
}

TEST(KeyCodeParser, DigitsBeyondWhatIsKeptStillCount) {
  EXPECT_EQ(Parse("-58." + std::string(100, '0') + "1"), -59);
  EXPECT_EQ(Parse("58." + std::string(100, '9')), 58);
  EXPECT_EQ(Parse(std::string(5000, '0') + "58"), 58);
  EXPECT_EQ(Parse("0." + std::string(40, '0') + "1e42"), 10);
}

TEST(KeyCodeParser, UsesTheUsersDecimalSeparator) {
  EXPECT_EQ(Parse("58,9", ","), 58);
  EXPECT_EQ(FailureOf("58.9", ","), 13);
  EXPECT_EQ(Parse("-0\xD9\xAB" "5", "\xD9\xAB"), -1);  // a two-byte separator
  EXPECT_EQ(FailureOf("0\xD9" "5", "\xD9\xAB"), 13);
}

TEST(KeyCodeParser, NotANumberIsTypeMismatch) {
  const std::string_view texts[] = {"", " ", "\t", "abc", "58a", "5 8", "-", "+", ".", "e5", "5e", "5e+", "--5", "0x3A",
                                "58\n", std::string_view("5\0" "8", 3), "\xEF\xBB\xBF" "58", "1,5"};
  for (std::string_view text : texts)
    EXPECT_EQ(FailureOf(text), 13) << '"' << text << '"';
}

TEST(KeyCodeParser, BeyondThirtyTwoBitsIsOverflow) {
  for (const char* text : {"2147483648", "-2147483649", "-2147483648.5", "1e10", "99999999999999999999", "1e400"})
    EXPECT_EQ(FailureOf(text), 6) << text;
  EXPECT_EQ(FailureOf(std::string(100000, '9')), 6);
}

struct Collect final : KeyListAction {
  std::vector<std::pair<std::string, std::int32_t>> lines;
  void operator()(std::string_view line, std::int32_t code) override { lines.emplace_back(line, code); }
};

class KeyListFile : public ::testing::Test {
 protected:
  TempFolder folder;
  std::filesystem::path file = folder.path() / "list.txt";
  fakes::StandardListFiles files;

  void Write(std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<std::int32_t> Codes() {
    Collect collect;
    ReadKeyList(files, file, ".", collect);
    std::vector<std::int32_t> codes;
    for (auto& line : collect.lines) codes.push_back(line.second);
    return codes;
  }
  // The failure number, and how many lines were handled before it.
  std::pair<int, std::size_t> Failing() {
    Collect collect;
    try {
      ReadKeyList(files, file, ".", collect);
    } catch (const Failure& f) {
      return {f.number(), collect.lines.size()};
    }
    return {0, collect.lines.size()};
  }
};

TEST_F(KeyListFile, LinesEndAtCrLfOrALoneCr) {
  Write("1\r\n2\r3\r\n");
  EXPECT_EQ(Codes(), (std::vector<std::int32_t>{1, 2, 3}));
  Write("58\r\n58");  // a last line without a break, and a code listed twice
  EXPECT_EQ(Codes(), (std::vector<std::int32_t>{58, 58}));
  Write("");
  EXPECT_TRUE(Codes().empty());
}

TEST_F(KeyListFile, LineTextAndCodeReachTheAction) {
  Write(" 58.9 \r\n");
  Collect collect;
  ReadKeyList(files, file, ".", collect);
  ASSERT_EQ(collect.lines.size(), 1u);
  EXPECT_EQ(collect.lines[0].first, " 58.9 ");
  EXPECT_EQ(collect.lines[0].second, 58);
}

TEST_F(KeyListFile, FailuresStopThePassAtTheirLine) {
  Write("1\r\n2\r\n\r\n");  // a blank last line
  EXPECT_EQ(Failing(), std::make_pair(13, std::size_t{2}));
  Write("1\n2\n3\n");  // LF alone is no line break: one long line
  EXPECT_EQ(Failing(), std::make_pair(13, std::size_t{0}));
  Write("1\r\n99999999999\r\n3\r\n");
  EXPECT_EQ(Failing(), std::make_pair(6, std::size_t{1}));
  std::filesystem::remove(file);
  EXPECT_EQ(Failing().first, 53);
}

TEST_F(KeyListFile, FileIsClosedWhenAFailureLeaves) {
  Write("1\r\nx\r\n");
  struct Throwing final : KeyListAction {
    void operator()(std::string_view, std::int32_t) override { throw failures::NoSuchControlElement(1); }
  } throwing;
  EXPECT_THROW(ReadKeyList(files, file, ".", throwing), Failure);
  EXPECT_EQ(Failing().first, 13);
  EXPECT_EQ(files.opens, files.closes);
  // Windows refuses to delete or replace an open file; this catches a leak there.
  EXPECT_TRUE(std::filesystem::remove(file));
  WriteDefaultKeyList(files, file);
  EXPECT_EQ(Codes().size(), 103u);
}

TEST_F(KeyListFile, AFolderInPlaceOfTheFileIsNotFileNotFound) {
  std::filesystem::create_directory(file);
  const int number = Failing().first;
  EXPECT_NE(number, 53);
  EXPECT_NE(number, 0);
}

TEST_F(KeyListFile, DefaultListIsThe422Bytes) {
  WriteDefaultKeyList(files, file);
  const std::string bytes = fakes::ReadFileBytes(file);
  EXPECT_EQ(bytes.size(), 422u);
  EXPECT_EQ(bytes.substr(0, 6), "1\r\n2\r\n");
  EXPECT_EQ(bytes.substr(bytes.size() - 10), "220\r\n221\r\n");
  EXPECT_EQ(bytes.find("\r\n0\r\n"), std::string::npos);
  EXPECT_EQ(bytes.find("\r\n87\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("\r\n83\r\n88\r\n156\r\n"), std::string::npos);
  const std::vector<std::int32_t> codes = Codes();
  ASSERT_EQ(codes.size(), 103u);
  EXPECT_EQ(codes[82], 83);
  EXPECT_EQ(codes[83], 88);

  // Whatever is already there is the user's: it stays, untouched.
  Write("58\r\n");
  EXPECT_FALSE(WriteDefaultKeyList(files, file));
  EXPECT_EQ(fakes::ReadFileBytes(file), "58\r\n");
}

TEST_F(KeyListFile, UnwritableFolderIsAFailureNotACrash) {
  EXPECT_THROW(WriteDefaultKeyList(files, folder.path() / "missing-folder" / "list.txt"), Failure);
}

TEST_F(KeyListFile, AnyBytesGiveACodeOrAFailure) {
  std::mt19937 random(1234);
  for (int round = 0; round < 200; ++round) {
    std::string bytes(static_cast<std::size_t>(random() % 64), '\0');
    for (char& c : bytes) c = static_cast<char>(random() % 7 == 0 ? "\r\n 0.-e"[random() % 7] : random() % 256);
    Write(bytes);
    Collect collect;
    try {
      ReadKeyList(files, file, ".", collect);
    } catch (const Failure& f) {
      EXPECT_TRUE(f.number() == 13 || f.number() == 6) << f.number();
    }
  }
}

TEST_F(KeyListFile, APassStopsAtItsBoundAndNeverBefore) {
  // A long line is read to its end, only its start kept for KeyLine.
  std::string longLine(900 << 10, ' ');  // 900 KiB of blanks around one code
  longLine[longLine.size() / 2] = '7';
  Write(longLine + "\r\n");
  Collect collect;
  ReadKeyList(files, file, ".", collect);
  ASSERT_EQ(collect.lines.size(), 1u);
  EXPECT_EQ(collect.lines[0].second, 7);
  EXPECT_LE(collect.lines[0].first.size(), 256u);

  std::string lines;
  for (std::size_t i = 0; i < kKeyListMaxLines; ++i) lines += "58\r\n";
  struct Case {
    std::string bytes;
    std::pair<int, std::size_t> outcome;  // failure number (0: none), lines handled
  } const cases[] = {
      {lines, {0, kKeyListMaxLines}},
      {lines + "58", {kKeyListTooLongNumber, kKeyListMaxLines}},
      {std::string(kKeyListMaxBytes, ' ') + "1", {kKeyListTooLongNumber, 0}},
      {"1\r\n" + std::string(3 << 20, 'x'), {kKeyListTooLongNumber, 1}},
  };
  for (const Case& c : cases) {
    Write(c.bytes);
    EXPECT_EQ(Failing(), c.outcome) << c.bytes.size() << " bytes";
  }
}

}  // namespace
}  // namespace lumio
