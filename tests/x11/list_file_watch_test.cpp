// The list file's watch on a real folder, without a display: every way of
// changing the file or its folder is heard, and wakes FLTK's loop; reading
// it is not; a file that could change unheard is never trusted.
#include <FL/Fl.H>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/linux/os/list_file_posix.h"
#include "seam/failure.h"
#include "support/temp_folder.h"

namespace lumio::os {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST(InotifySeesEveryChange, OnLocalFileSystemsOnly) {
  const struct {
    long type;
    bool seen;
  } cases[] = {{0xEF53, true},      {0x9123683E, true},  {0x01021994, true},  {0x794C7630, true},
               {0x6969, false},     {0xFF534D42, false}, {0xFE534D42, false}, {0x65735546, false},
               {0x01021997, false}, {0, false}};
  for (const auto& c : cases) EXPECT_EQ(InotifySeesEveryChange(c.type), c.seen) << std::hex << c.type;
}

void Write(const fs::path& file, const char* bytes) { std::ofstream(file, std::ios::binary) << bytes; }

class ListFileWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Write(list, "58\r\n");
    files.callOnChange([this] { ++wakes; });
  }

  // One pass as the program makes it, then what the watch says.
  bool PassThenUnchanged() {
    try {
      files.openForReading(list);
    } catch (const Failure&) {
    }
    files.close();
    return files.unchangedSinceLastOpen();
  }
  // FLTK's loop, as the program runs it while polling rests, until the
  // watch wakes it or the time is up.
  bool LoopWoken(std::chrono::milliseconds within = 1s) {
    wakes = 0;
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (wakes == 0 && std::chrono::steady_clock::now() < deadline) Fl::wait(0.05);
    return wakes > 0;
  }

  lumio::testing::TempFolder folder{"lumio-watch"};
  fs::path list = folder.path() / "list.txt";
  PosixListFiles files;
  int wakes = 0;
};

TEST_F(ListFileWatchTest, EveryChangeOfTheFileOrItsFolderIsHeardAndWakesTheLoopAndAPassTrustsItAgain) {
  const fs::path elsewhere = folder.path().parent_path() / (folder.path().filename().string() + "-moved");
  const struct {
    const char* what;
    std::function<void()> change, restore;
  } changes[] = {
      {"written in place", [&] { std::ofstream(list, std::ios::binary | std::ios::app) << "30\r\n"; }, nullptr},
      {"replaced by a rename, as sed -i saves", [&] {
         Write(folder.path() / "sedAbc123", "31\r\n");
         fs::rename(folder.path() / "sedAbc123", list);
       }, nullptr},
      {"its permissions", [&] { fs::permissions(list, fs::perms::owner_read | fs::perms::owner_write); }, nullptr},
      {"its times", [&] { fs::last_write_time(list, fs::file_time_type::clock::now() - 1h); }, nullptr},
      {"deleted", [&] { fs::remove(list); }, [&] { Write(list, "58\r\n"); }},
      {"moved away", [&] { fs::rename(list, folder.path() / "old.txt"); }, [&] { Write(list, "58\r\n"); }},
      {"the folder's permissions", [&] { fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec); },
       [&] { fs::permissions(folder.path(), fs::perms::owner_all); }},
      {"the folder moved", [&] { fs::rename(folder.path(), elsewhere); },
       [&] { fs::rename(elsewhere, folder.path()); }},
  };
  for (const auto& c : changes) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(PassThenUnchanged());
    c.change();
    EXPECT_TRUE(LoopWoken());
    EXPECT_FALSE(files.unchangedSinceLastOpen());
    if (c.restore) {
      PassThenUnchanged();  // the pass that finds the change
      c.restore();
    }
    EXPECT_TRUE(PassThenUnchanged()) << "the next pass read it as it is now";
  }
}

TEST_F(ListFileWatchTest, ReadingTheFileIsNoChangeAndNothingWakesTheLoop) {
  ASSERT_TRUE(PassThenUnchanged());
  for (int i = 0; i < 3; ++i) {
    std::ifstream in(list, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes, "58\r\n");
  }
  Write(folder.path() / "other.txt", "another file in the folder");
  EXPECT_FALSE(LoopWoken(200ms));
  EXPECT_TRUE(files.unchangedSinceLastOpen());
  EXPECT_TRUE(PassThenUnchanged());
}

TEST_F(ListFileWatchTest, AFileThatCanChangeUnheardOrIsNotThereIsNeverTrusted) {
  lumio::testing::TempFolder other("lumio-watch-target");
  const fs::path target = other.path() / "target.txt";
  Write(target, "58\r\n");
  fs::remove(list);
  EXPECT_FALSE(PassThenUnchanged()) << "missing";
  fs::create_symlink(target, list);
  EXPECT_FALSE(PassThenUnchanged()) << "a link: its target changes unheard";
  EXPECT_FALSE(PassThenUnchanged());
  fs::remove(list);
  fs::create_hard_link(target, list);
  EXPECT_FALSE(PassThenUnchanged()) << "a second name elsewhere: written there unheard";
}

}  // namespace
}  // namespace lumio::os
