// One instance per display; where the program lives; the user's
// decimal separator.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "platform/x11/instance_guard_x11.h"
#include "platform/x11/list_file_posix.h"
#include "platform/x11/program_environment_x11.h"
#include "seam/failure.h"
#include "support/temp_folder.h"

namespace lumio::x11 {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

using lumio::testing::TempFolder;

// Each guard on a connection of its own, as each copy of the program has.
// Whatever the environment says, the display decides; and the claim goes
// with the connection, however the copy holding it went.
TEST(InstanceGuard, TheDisplayHoldsTheClaimUntilTheFirstCopyIsKilled) {
  ScopedEnv noRuntime("XDG_RUNTIME_DIR", "");
  ScopedEnv noHome("HOME", "");
  const std::string selection = "_LUMIO_CAPSLOCK_GUARD_TEST_" + std::to_string(getpid());
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t first = fork();
  ASSERT_GE(first, 0);
  if (first == 0) {  // the first copy: claims, says so, and waits to be killed
    Display* display = XOpenDisplay(nullptr);
    const char claimed =
        display != nullptr && !X11InstanceGuard(display, selection).anotherInstanceRunning() ? 'y' : 'n';
    X11InstanceGuard guard(display, selection);
    const char held = display != nullptr && !guard.anotherInstanceRunning() ? 'y' : 'n';
    const char answer[2] = {claimed, held};
    if (write(ready[1], answer, 2) != 2) _exit(1);
    pause();
    _exit(0);
  }
  char answer[2] = {};
  ASSERT_EQ(read(ready[0], answer, 2), 2);
  close(ready[0]);
  close(ready[1]);
  EXPECT_EQ(answer[0], 'y') << "the first guard did not claim the display";
  EXPECT_EQ(answer[1], 'y') << "a guard given up was not released";

  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr) << "needs an X display";
  {
    X11InstanceGuard second(display, selection);
    EXPECT_TRUE(second.anotherInstanceRunning());
    EXPECT_EQ(second.owner(), 0u) << "a second copy leaves no trace";
  }
  kill(first, SIGKILL);  // no tidying up
  waitpid(first, nullptr, 0);
  {
    X11InstanceGuard third(display, selection);
    EXPECT_FALSE(third.anotherInstanceRunning());
    EXPECT_FALSE(third.anotherInstanceRunning());  // asking again: still just us
    EXPECT_NE(third.owner(), 0u);
  }
  XCloseDisplay(display);
}

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
  X11ProgramEnvironment environment;
  const fs::path folder = environment.programDirectory();
  fs::current_path(before);
  EXPECT_TRUE(fs::exists(folder / "x11_rules_tests")) << folder;
}

TEST(ProgramEnvironment, DecimalSeparatorComesFromTheUsersLocale) {
  X11ProgramEnvironment environment;
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
  X11ProgramEnvironment german;  // the environment is read once, at the first question
  EXPECT_EQ(german.decimalSeparator(), ",");
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");  // the process keeps C numbers
}

}  // namespace
}  // namespace lumio::x11
