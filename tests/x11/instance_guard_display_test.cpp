// One instance per display, with copies of the program played by processes
// of this test, each on an X connection of its own.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>

#include "platform/linux/x11/instance_guard_x11.h"
#include "support/process.h"
#include "support/scoped_env.h"
#include "support/x_screen.h"

namespace lumio::x11 {
namespace {

using lumio::testing::ChildProcess;
using lumio::testing::ChildrenOf;
using lumio::testing::ScopedEnv;

// Whatever the environment says, the display decides; and the claim goes
// with the connection, however the copy holding it went.
TEST(InstanceGuard, TheDisplayHoldsTheClaimUntilTheFirstCopyIsKilled) {
  ScopedEnv noRuntime("XDG_RUNTIME_DIR", "");
  ScopedEnv noHome("HOME", "");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  ChildProcess first([&] {  // claims, says so, and waits to be killed
    close(ready[0]);
    Display* display = XOpenDisplay(nullptr);
    const char claimed = display != nullptr && !X11InstanceGuard(display).anotherInstanceRunning() ? 'y' : 'n';
    X11InstanceGuard guard(display);
    const char held = display != nullptr && !guard.anotherInstanceRunning() ? 'y' : 'n';
    const char answer[2] = {claimed, held};
    if (write(ready[1], answer, 2) != 2) _exit(1);
    pause();
  });
  close(ready[1]);  // a copy that dies early then reads as the end of the pipe
  char answer[2] = {};
  const ssize_t got = read(ready[0], answer, 2);
  close(ready[0]);
  ASSERT_EQ(got, 2) << "the first copy did not answer";
  EXPECT_EQ(answer[0], 'y') << "the first guard did not claim the display";
  EXPECT_EQ(answer[1], 'y') << "a guard given up was not released";

  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr) << "needs an X display";
  const auto owner = [&] { return XGetSelectionOwner(display, XInternAtom(display, kInstanceSelection, False)); };
  const Window firstOwner = owner();
  EXPECT_NE(firstOwner, 0u);
  const std::size_t windows = ChildrenOf(display, DefaultRootWindow(display)).size();
  {
    X11InstanceGuard second(display);
    EXPECT_TRUE(second.anotherInstanceRunning());
    EXPECT_EQ(owner(), firstOwner);
    EXPECT_EQ(ChildrenOf(display, DefaultRootWindow(display)).size(), windows) << "a second copy leaves no trace";
  }
  first.sendSignal(SIGKILL);  // no tidying up
  EXPECT_TRUE(first.waitForExit(std::chrono::seconds(5)));
  // The server drops the claim once it sees the connection closed, which
  // may be a moment after the process is gone.
  EXPECT_TRUE(lumio::testing::WaitUntil([&] { return owner() == 0; }, std::chrono::seconds(5)))
      << "the claim outlived the copy that held it";
  {
    X11InstanceGuard third(display);
    EXPECT_FALSE(third.anotherInstanceRunning());
    EXPECT_FALSE(third.anotherInstanceRunning());  // asking again: still just us
    EXPECT_NE(owner(), 0u);
  }
  EXPECT_EQ(owner(), 0u) << "given up with the guard";
  XCloseDisplay(display);
}

}  // namespace
}  // namespace lumio::x11
