// One instance per user and display; where the program lives; the user's
// decimal separator.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/x11/instance_guard_x11.h"
#include "platform/x11/program_environment_x11.h"
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

TEST(DisplayNames, OneDisplayHasOneName) {
  EXPECT_EQ(NormaliseDisplayName(":0"), NormaliseDisplayName(":0.0"));
  EXPECT_EQ(NormaliseDisplayName(":0"), NormaliseDisplayName(":0.1"));
  EXPECT_EQ(NormaliseDisplayName(":0"), NormaliseDisplayName("unix:0"));
  EXPECT_NE(NormaliseDisplayName(":0"), NormaliseDisplayName(":1"));
  EXPECT_NE(NormaliseDisplayName(":10"), NormaliseDisplayName("localhost:10.0"));  // a forwarded display
  const std::string odd = NormaliseDisplayName("/tmp/launch-abc/org.x:0");
  EXPECT_EQ(odd.find('/'), std::string::npos);
}

TEST(InstanceGuard, TheSecondGuardOnADisplayFindsTheFirst) {
  TempFolder runtime;
  ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().string());
  auto first = std::make_unique<X11InstanceGuard>(":7");
  EXPECT_FALSE(first->anotherInstanceRunning());
  EXPECT_FALSE(first->anotherInstanceRunning());  // asking again: still just us
  EXPECT_EQ(first->lockFile().parent_path(), runtime.path());

  X11InstanceGuard second(":7.0");
  EXPECT_TRUE(second.anotherInstanceRunning());
  X11InstanceGuard otherDisplay(":8");
  EXPECT_FALSE(otherDisplay.anotherInstanceRunning());

  first.reset();  // the first copy exits
  X11InstanceGuard third(":7");
  EXPECT_FALSE(third.anotherInstanceRunning());
}

TEST(InstanceGuard, AFolderOthersCanWriteToIsNotUsed) {
  TempFolder shared, home;
  fs::permissions(shared.path(), fs::perms::all);  // like /tmp without the sticky bit
  ScopedEnv runtime("XDG_RUNTIME_DIR", shared.path().string());
  ScopedEnv homeEnv("HOME", home.path().string());

  X11InstanceGuard guard(":7");
  const fs::path lock = guard.lockFile();
  EXPECT_EQ(lock.parent_path(), home.path() / ".cache" / "lumio-capslock");
  EXPECT_FALSE(guard.anotherInstanceRunning());
  EXPECT_TRUE(fs::exists(lock));
  struct stat info {};
  ASSERT_EQ(stat(lock.parent_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_TRUE(X11InstanceGuard(":7").anotherInstanceRunning());
}

TEST(InstanceGuard, AFolderSomebodyElseMadeForUsIsRefused) {
  TempFolder home;
  ScopedEnv runtime("XDG_RUNTIME_DIR", "relative/not/allowed");
  ScopedEnv homeEnv("HOME", home.path().string());
  const fs::path planted = home.path() / ".cache" / "lumio-capslock";
  fs::create_directories(planted);
  fs::permissions(planted, fs::perms::all);  // writable by anybody: not ours to trust

  X11InstanceGuard guard(":7");
  EXPECT_TRUE(guard.lockFile().empty());
  EXPECT_FALSE(guard.anotherInstanceRunning());  // no lock to be had: the program runs
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
