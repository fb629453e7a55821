#include "form_fixture.h"
#include "lockkeys/cls_keyboard.h"

namespace lumio {
namespace {

using testing::FormTest;

TEST(clsKeyboardTest, WritesMinusOneOrZeroInOrder) {
  fakes::FakeLockKeys keys;
  clsKeyboard reader(keys);
  Boolean caps = 5, num = 5, scroll = 5;
  keys.states = {{LockKey::Num, {true, false}}};
  reader.GetLockStatus(caps, num, scroll);
  EXPECT_EQ(caps, 0);
  EXPECT_EQ(num, -1);  // True is all bits set, never 1
  EXPECT_EQ(scroll, 0);
  EXPECT_EQ(keys.asked, (std::vector<LockKey>{LockKey::Caps, LockKey::Num, LockKey::Scroll}));

  keys.states = {{LockKey::Caps, {false, true}}, {LockKey::Scroll, {true, true}}};
  reader.GetLockStatus(caps, num, scroll);  // a lock key held down reads on, whatever its lock
  EXPECT_EQ(caps, -1);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(scroll, -1);
}

// Running after the introduction, watching Caps Lock.
class Announcement : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    fake.writeList("58\r\n");
    form.Form_Load();
    fake.window.advance(7000);  // the introduction ends, polling starts
    fake.screen.draws.clear();
    fake.screen.repaintsAfterDraw.clear();
  }

  void Press(std::int64_t holdMs) {
    fake.keyboard.press(kCapsLockCode);
    fake.lockKeys.states[LockKey::Caps] = {lockOn, true};
    fake.window.advance(holdMs);
    fake.keyboard.release(kCapsLockCode);
    lockOn = !lockOn;
    fake.lockKeys.states[LockKey::Caps] = {lockOn, false};
  }
  // Steps the clock 1 ms at a time until something is drawn or erased.
  std::int64_t WaitForScreenChange(std::int64_t limit = 5000) {
    const std::size_t draws = fake.screen.draws.size(), repaints = fake.screen.repaintsAfterDraw.size();
    const std::int64_t start = fake.window.now();
    while (fake.window.now() - start < limit) {
      fake.window.advance(1);
      if (fake.screen.draws.size() != draws || fake.screen.repaintsAfterDraw.size() != repaints)
        return fake.window.now();
    }
    return -1;
  }
  std::int64_t LastPollThatSawCapsLock() const {
    std::int64_t last = -1;
    for (const fakes::TickRecord& tick : fake.window.ticks)
      if (tick.timer == TimerName::Timer1 && tick.atMs <= fake.window.now()) last = tick.atMs;
    return last;
  }
  bool TimerOn(TimerName timer) const { return fake.window.timerEnabled(timer); }

  bool lockOn = false;
};

TEST_F(Announcement, APressIsPaintedAfterReleaseAndErasedLater) {
  fake.window.advance(3);  // not in step with the poll
  Press(100);
  const std::int64_t lastSeen = LastPollThatSawCapsLock();
  const std::int64_t painted = WaitForScreenChange();
  // 700 ms after the last poll that saw the key down (the release falls
  // between that poll and the next).
  EXPECT_GE(painted - lastSeen, 700);
  EXPECT_LE(painted - lastSeen, 720);
  ASSERT_EQ(fake.screen.draws.size(), 1u);
  const fakes::DrawRecord& d = fake.screen.draws[0];
  EXPECT_EQ(d.text, "Caps Lock is ON");
  EXPECT_EQ(d.x, 250);
  EXPECT_EQ(d.y, 300);
  EXPECT_EQ(d.colour, kGreen);
  EXPECT_EQ(d.font.height, 72);
  EXPECT_EQ(d.font.weight, 700);
  EXPECT_EQ(bAllowShow, kFalse);

  const std::int64_t erased = WaitForScreenChange();
  EXPECT_EQ(erased - painted, 700);
  EXPECT_TRUE(fake.screen.visible().empty());
  EXPECT_EQ(bAllowShow, kTrue);
  EXPECT_FALSE(TimerOn(TimerName::tmrTestCaps));
  EXPECT_FALSE(TimerOn(TimerName::tmrRemoveText));

  Press(60);
  WaitForScreenChange();
  EXPECT_EQ(fake.screen.draws.back().text, "Caps Lock is OFF");
}

TEST_F(Announcement, AHeldKeyIsNeverAnnouncedWhileDown) {
  fake.keyboard.press(kCapsLockCode);
  fake.lockKeys.states[LockKey::Caps] = {false, true};
  fake.window.advance(3000);
  EXPECT_TRUE(fake.screen.draws.empty());
  fake.keyboard.release(kCapsLockCode);
  fake.window.advance(1400);
  ASSERT_EQ(fake.screen.draws.size(), 1u);
}

TEST_F(Announcement, StateTableThroughTwoQuickPresses) {
  // Idle
  EXPECT_EQ(bAllowShow, kTrue);
  Press(40);
  // Armed
  EXPECT_TRUE(TimerOn(TimerName::tmrTestCaps));
  EXPECT_FALSE(TimerOn(TimerName::tmrRemoveText));
  fake.window.advance(300);
  Press(40);  // a second press before the first is announced: one announcement, later
  fake.window.advance(690);
  EXPECT_TRUE(fake.screen.draws.empty());
  fake.window.advance(30);
  ASSERT_EQ(fake.screen.draws.size(), 1u);
  // Shown
  EXPECT_EQ(bAllowShow, kFalse);
  EXPECT_FALSE(TimerOn(TimerName::tmrTestCaps));
  EXPECT_TRUE(TimerOn(TimerName::tmrRemoveText));
  fake.window.advance(200);
  Press(40);
  // Shown and armed
  EXPECT_TRUE(TimerOn(TimerName::tmrTestCaps));
  EXPECT_TRUE(TimerOn(TimerName::tmrRemoveText));
  fake.window.advance(3000);
  // The erase comes first (Armed again), so the press is announced after it,
  // and the cycle ends idle.
  EXPECT_EQ(fake.screen.draws.size(), 2u);
  EXPECT_TRUE(fake.screen.visible().empty());
  EXPECT_FALSE(TimerOn(TimerName::tmrTestCaps));
  EXPECT_FALSE(TimerOn(TimerName::tmrRemoveText));
  EXPECT_EQ(bAllowShow, kTrue);
}

TEST_F(Announcement, ShownAndArmedPaintsNothingWhileTheFlagIsDown) {
  Press(40);
  fake.window.advance(720);
  ASSERT_EQ(fake.screen.draws.size(), 1u);
  Press(40);
  form.controlClicked(Control::cmdCapNum);  // pushes the erase back past the armed tick
  ASSERT_EQ(fake.screen.draws.size(), 2u);
  fake.window.advance(700);
  EXPECT_EQ(fake.screen.draws.size(), 2u);  // the armed tick found the flag down
  EXPECT_EQ(bAllowShow, kFalse);
  EXPECT_TRUE(TimerOn(TimerName::tmrRemoveText));
  fake.window.advance(700);
  EXPECT_TRUE(fake.screen.visible().empty());
  EXPECT_EQ(bAllowShow, kTrue);
  EXPECT_EQ(fake.screen.draws.size(), 2u);
}

TEST_F(Announcement, OtherLocksNeverChangeWhatIsSaid) {
  fake.lockKeys.states[LockKey::Num] = {true, false};
  fake.lockKeys.states[LockKey::Scroll] = {true, false};
  Press(40);  // turns Caps Lock on
  fake.window.advance(1000);
  Press(40);  // and off
  fake.window.advance(2000);
  ASSERT_EQ(fake.screen.draws.size(), 2u);
  EXPECT_EQ(fake.screen.draws[0].text, "Caps Lock is ON");
  EXPECT_EQ(fake.screen.draws[1].text, "Caps Lock is OFF");
}

TEST_F(Announcement, WithoutCapsLockInTheListNothingIsAnnounced) {
  fake.writeList("30\r\n");
  Press(100);
  fake.window.advance(2000);
  EXPECT_TRUE(fake.screen.draws.empty());
}

TEST_F(Announcement, TestButtonPaintsAtOnceFromEveryState) {
  fake.lockKeys.states[LockKey::Caps] = {true, false};
  form.controlClicked(Control::cmdCapNum);  // from idle
  ASSERT_EQ(fake.screen.draws.size(), 1u);
  EXPECT_EQ(fake.screen.draws[0].text, "Caps Lock is ON");
  EXPECT_EQ(fake.screen.draws[0].font.height, 72);
  EXPECT_EQ(bAllowShow, kTrue);  // neither read nor changed
  EXPECT_TRUE(TimerOn(TimerName::tmrRemoveText));
  fake.window.advance(700);
  EXPECT_TRUE(fake.screen.visible().empty());

  Press(40);  // armed
  form.controlClicked(Control::cmdCapNum);
  EXPECT_EQ(fake.screen.draws.size(), 2u);
  fake.window.advance(720);  // shown: the click paints over the announcement
  EXPECT_EQ(fake.screen.draws.size(), 3u);
  form.controlClicked(Control::cmdCapNum);
  EXPECT_EQ(fake.screen.visible().size(), 3u);  // nothing erased in between: painted over
  EXPECT_EQ(bAllowShow, kFalse);
}

TEST_F(Announcement, TwoQuickClicksPaintTwiceAndEraseAfterTheSecond) {
  form.controlClicked(Control::cmdCapNum);
  fake.window.advance(300);
  form.controlClicked(Control::cmdCapNum);
  EXPECT_EQ(fake.screen.draws.size(), 2u);
  fake.window.advance(699);
  EXPECT_EQ(fake.screen.visible().size(), 2u);
  fake.window.advance(1);
  EXPECT_TRUE(fake.screen.visible().empty());
}

TEST_F(Announcement, EachFailingStepIsSkippedAndTheFlagStillCleared) {
  // Step 1: no erase follows, and the flag stays down until one does.
  fake.window.failStarting = TimerName::tmrRemoveText;
  Press(40);
  fake.window.advance(1500);
  EXPECT_EQ(fake.screen.draws.size(), 1u);
  EXPECT_EQ(bAllowShow, kFalse);
  EXPECT_FALSE(TimerOn(TimerName::tmrRemoveText));
  fake.window.failStarting.reset();
  Press(40);
  fake.window.advance(1500);
  EXPECT_EQ(fake.screen.draws.size(), 1u);  // flag down: nothing painted, but the erase restores it
  EXPECT_EQ(bAllowShow, kTrue);

  // Step 2: the query fails, so the last answer (lock off) is used again
  // although the lock is now on.
  fake.lockKeys.fail = true;
  Press(40);
  fake.window.advance(800);
  ASSERT_EQ(fake.screen.draws.size(), 2u);
  EXPECT_EQ(fake.screen.draws.back().text, "Caps Lock is OFF");
  fake.window.advance(800);
  fake.lockKeys.fail = false;

  // Step 5: the painting fails; erase and flag go on as usual.
  fake.screen.drawFailure = Failure(5, "Invalid procedure call or argument");
  const std::size_t repaints = fake.screen.repaintsAfterDraw.size();
  Press(40);
  fake.window.advance(1500);
  EXPECT_EQ(fake.screen.repaintsAfterDraw.size(), repaints + 1);
  EXPECT_EQ(bAllowShow, kTrue);
  EXPECT_TRUE(fake.window.messages.empty());
}

TEST_F(Announcement, FailedEraseIsUncaughtAndLeavesTheFlagDown) {
  Press(40);
  fake.window.advance(720);
  fake.screen.repaintFailure = Failure(-2147024890, "The handle is invalid.");
  fake.window.advance(700);
  ASSERT_EQ(fake.window.messages.size(), 1u);
  EXPECT_EQ(fake.window.messages[0].text, "Run-time error '-2147024890':\n\nThe handle is invalid.");
  EXPECT_EQ(fake.window.messages[0].icon, MessageIcon::Stop);
  EXPECT_TRUE(fake.window.ended);
  EXPECT_EQ(bAllowShow, kFalse);
}

}  // namespace
}  // namespace lumio
