// The list file's opening and creation, where the program lives and the
// user's decimal separator: nothing here needs a display.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/linux/os/list_file_posix.h"
#include "platform/linux/os/program_environment_linux.h"
#include "seam/failure.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace lumio::os {
namespace {

namespace fs = std::filesystem;

using lumio::testing::ScopedEnv;
using lumio::testing::TempFolder;

// Whatever stands in place of the list, a pass neither waits nor spins on
// it, and the default list is written only as a new file of its own.
TEST(ListFile, OnlyARegularFileIsReadAndNothingPresentIsWrittenOver) {
  TempFolder folder;
  const fs::path file = folder.path() / "list.txt";
  const fs::path target = folder.path() / "elsewhere.txt";
  struct Case {
    const char* what;
    std::function<void()> make;
    int openFailure;  // 0: opens
  } const cases[] = {
      {"nothing", [] {}, 53},
      {"regular file", [&] { std::ofstream(file) << "58\r\n"; }, 0},
      {"link to a regular file", [&] { std::ofstream(target) << "58\r\n"; fs::create_symlink(target, file); }, 0},
      {"dangling link", [&] { fs::create_symlink(target, file); }, 75},
      {"pipe", [&] { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }, 75},
      {"link to /dev/zero", [&] { fs::create_symlink("/dev/zero", file); }, 75},
      {"folder", [&] { fs::create_directory(file); }, 75},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(file);
    fs::remove_all(target);
    c.make();
    PosixListFiles files;
    int failure = 0;
    try {
      files.openForReading(file);
      char buffer[64];
      EXPECT_EQ(files.read(buffer, sizeof buffer), 4u);
    } catch (const Failure& f) {
      failure = f.number();
    }
    files.close();
    EXPECT_EQ(failure, c.openFailure);
    if (failure == 53) {
      EXPECT_TRUE(files.createNew(file, "1\r\n"));
      EXPECT_EQ(fs::file_size(file), 3u);
    } else {
      EXPECT_FALSE(files.createNew(file, "1\r\n"));
      EXPECT_FALSE(fs::exists(target) && fs::file_size(target) == 3u) << "written through the link";
    }
  }
}

TEST(ProgramEnvironment, TheFolderIsTheExecutablesNotTheCurrentOne) {
  TempFolder elsewhere;
  const fs::path before = fs::current_path();
  fs::current_path(elsewhere.path());
  LinuxProgramEnvironment environment;
  const fs::path folder = environment.programDirectory();
  fs::current_path(before);
  EXPECT_TRUE(fs::exists(folder / "x11_rules_tests")) << folder;
}

TEST(ProgramEnvironment, DecimalSeparatorComesFromTheUsersLocale) {
  LinuxProgramEnvironment environment;
  {
    ScopedEnv all("LC_ALL", "C");
    EXPECT_EQ(environment.decimalSeparator(), ".");
  }
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");

  // A German locale, built for this test when the system has the sources.
  TempFolder locales;
  const std::string build = "localedef -i de_DE -f UTF-8 " + (locales.path() / "de_DE.UTF-8").string() +
                            " >/dev/null 2>&1";
  if (std::system(build.c_str()) != 0 || !fs::exists(locales.path() / "de_DE.UTF-8"))
    GTEST_SKIP() << "cannot build a de_DE locale here";
  ScopedEnv path("LOCPATH", locales.path().string());
  ScopedEnv all("LC_ALL", "de_DE.UTF-8");
  LinuxProgramEnvironment german;  // the environment is read once, at the first question
  EXPECT_EQ(german.decimalSeparator(), ",");
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");  // the process keeps C numbers
}

}  // namespace
}  // namespace lumio::os
