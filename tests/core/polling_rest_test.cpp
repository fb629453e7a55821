// Polling's rest on the virtual clock: Timer1 stops ticking while its ticks
// would change nothing, and whatever would change that brings a tick at
// once and the 20 ms rhythm back.
#include "form_fixture.h"
#include "keymonitor/key_list.h"

namespace lumio {
namespace {

using testing::FormTest;

// Every part can tell, as on X11 with raw key events and a watched folder.
class PollingRest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    fake.window.canRest = true;
    fake.keyboard.canTell = true;
    fake.environment.files.canTell = true;
    fake.writeList("30\r\n58\r\n");
    form.Form_Load();
    fake.window.advance(7000 + 20);  // the introduction, then the first refresh
    fake.screen.draws.clear();       // the banner's
    ASSERT_TRUE(Resting());
  }

  bool Resting() const { return fake.window.timerResting(TimerName::Timer1); }
  // When Timer1 ticked from `from` on.
  std::vector<std::int64_t> TicksSince(std::int64_t from) const {
    std::vector<std::int64_t> at;
    for (const fakes::TickRecord& tick : fake.window.ticks)
      if (tick.timer == TimerName::Timer1 && tick.atMs >= from) at.push_back(tick.atMs);
    return at;
  }
};

TEST(PollingRestRule, OnlyAWindowSystemThatCanRestWithAKeyboardAndAListThatCanTellStopsTheTicks) {
  struct Case {
    bool windowCanRest, keyboardCanTell, listCanTell;
    int ticksInASecond;
  };
  const Case cases[] = {{true, true, true, 1}, {false, true, true, 50}, {true, false, true, 50}, {true, true, false, 50}};
  for (const Case& c : cases) {
    fakes::FakePlatform fake;
    frmOSD form(fake.platform());
    fake.window.createWindow(frmOSDLayout(), form);
    fake.window.canRest = c.windowCanRest;
    fake.keyboard.canTell = c.keyboardCanTell;
    fake.environment.files.canTell = c.listCanTell;
    fake.writeList("30\r\n");
    fake.keyboard.openedWith = fakes::FakeWindowSystem::kHandle;
    fake.window.setTimerEnabled(TimerName::Timer1, true);
    fake.window.advance(1000);
    EXPECT_EQ(fake.window.ticksOf(TimerName::Timer1), c.ticksInASecond)
        << c.windowCanRest << c.keyboardCanTell << c.listCanTell;
    EXPECT_EQ(fake.keyboard.snapshots, c.ticksInASecond);
    EXPECT_TRUE(fake.window.timerEnabled(TimerName::Timer1)) << "resting, not stopped";
  }
}

TEST_F(PollingRest, AKeyBringsATickAtOnceAndTheRhythmUntilTheTickThatFindsItUp) {
  fake.window.advance(5013);
  EXPECT_TRUE(TicksSince(7021).empty()) << "a quiet keyboard and list: no tick at all";
  const std::int64_t pressed = fake.window.now();
  fake.keyboard.press(30);
  fake.window.advance(0);
  EXPECT_EQ(TicksSince(pressed), std::vector<std::int64_t>{pressed});
  EXPECT_EQ(Key(30), kYellow);
  fake.window.advance(50);
  EXPECT_FALSE(Resting()) << "a key held down is looked at on every tick";
  fake.keyboard.release(30);
  fake.window.advance(1000);
  EXPECT_EQ(TicksSince(pressed), (std::vector<std::int64_t>{pressed, pressed + 20, pressed + 40, pressed + 60}));
  EXPECT_EQ(Key(30), kActiveBorder);
  EXPECT_TRUE(Resting());
}

TEST_F(PollingRest, AHeldCapsLockKeepsRestartingTheTimerAndIsAnnounced700MsAfterTheLastTickThatSawIt) {
  fake.window.advance(333);
  fake.keyboard.press(kCapsLockCode);
  fake.lockKeys.states[LockKey::Caps] = {false, true};
  const std::int64_t pressed = fake.window.now();
  for (std::int64_t tick = 0; tick <= 1000; tick += 20) {
    fake.window.advance(tick == 0 ? 0 : 20);
    ASSERT_TRUE(fake.window.timerEnabled(TimerName::tmrTestCaps));
    EXPECT_EQ(fake.window.timerDueAt(TimerName::tmrTestCaps), pressed + tick + 700);
  }
  const std::int64_t lastSeen = fake.window.now();
  fake.window.advance(7);
  fake.keyboard.release(kCapsLockCode);
  fake.lockKeys.states[LockKey::Caps] = {true, false};
  fake.window.advance(13);  // the next tick finds it up, and polling rests
  EXPECT_TRUE(Resting());
  fake.window.advance(700 - 20 - 1);
  EXPECT_TRUE(fake.screen.draws.empty());
  fake.window.advance(1);
  ASSERT_EQ(fake.screen.draws.size(), 1u);
  EXPECT_EQ(fake.screen.draws[0].text, "Caps Lock is ON");
  EXPECT_EQ(fake.window.now(), lastSeen + 700);
  fake.window.advance(2000);
  EXPECT_TRUE(fake.screen.visible().empty()) << "erased on time";
  EXPECT_EQ(TicksSince(lastSeen + 1).size(), 1u) << "the announcement and its erasing woke no poll";
}

TEST_F(PollingRest, ALockTurnedOverWithNoKeySeenEndsTheRestForThePollThatSeesCapsLockAndIsAnnouncedOnTime) {
  // A keyboard light or the compositor's lock state, which the device's own
  // watch looks at while polling rests: no refresh, no list read meanwhile.
  const int opens = fake.environment.files.opens, snapshots = fake.keyboard.snapshots;
  fake.screen.repaintsAfterDraw.clear();  // the banner's erasing
  fake.window.advance(5000);
  EXPECT_EQ(fake.environment.files.opens, opens);
  EXPECT_EQ(fake.keyboard.snapshots, snapshots);
  for (const bool on : {true, false}) {
    const std::int64_t turned = fake.window.now();
    fake.lockKeys.states[LockKey::Caps] = {on, false};
    fake.keyboard.turnCapsLockOver();
    fake.window.advance(0);
    EXPECT_EQ(Key(kCapsLockCode), kYellow);
    fake.window.advance(699);
    EXPECT_TRUE(fake.screen.visible().empty());
    fake.window.advance(1);
    ASSERT_EQ(fake.screen.visible().size(), 1u) << "700 ms after the one poll that saw it";
    EXPECT_EQ(fake.screen.visible()[0].text, on ? "Caps Lock is ON" : "Caps Lock is OFF");
    fake.window.advance(700);
    EXPECT_TRUE(fake.screen.visible().empty()) << "erased 700 ms later";
    fake.window.advance(2000);
    EXPECT_EQ(TicksSince(turned), (std::vector<std::int64_t>{turned, turned + 20})) << "down once, up, then rest";
    EXPECT_EQ(Key(kCapsLockCode), kActiveBorder);
  }
}

TEST_F(PollingRest, AnEditedListIsReadAtOnceAndADeletedOneRewrittenAtOnce) {
  fake.window.advance(1000);
  const std::int64_t edited = fake.window.now();
  fake.keyboard.state[31] = 0x80;  // down, unheard: only the edit may bring the tick
  fake.writeList("31\r\n");
  fake.window.advance(0);
  EXPECT_EQ(Key(31), kYellow);
  fake.keyboard.state[31] = 0;
  fake.window.advance(1000);
  EXPECT_EQ(TicksSince(edited), (std::vector<std::int64_t>{edited, edited + 20}));

  const std::int64_t deleted = fake.window.now();
  fake.removeList();
  fake.window.advance(0);
  EXPECT_EQ(fake.readList(), DefaultKeyListBytes()) << "written by the tick the deletion brought";
  EXPECT_TRUE(fake.window.messages.empty());
  fake.window.advance(1000);
  EXPECT_EQ(TicksSince(deleted), (std::vector<std::int64_t>{deleted, deleted + 20}))
      << "the next tick reads the new list, then polling rests";
  EXPECT_TRUE(Resting());
}

TEST_F(PollingRest, TicksRestWhileAFailureBoxIsOpenAndItsClosingBringsTheNextRefreshAtOnce) {
  std::size_t ticksWhileOpen = 0;
  std::int64_t closed = 0;
  fake.window.whileMessageOpen = [&] {
    const std::int64_t opened = fake.window.now();
    fake.window.advance(2000);  // the user reads for five seconds, typing meanwhile
    fake.keyboard.press(30);
    fake.window.advance(1000);
    fake.keyboard.release(30);
    fake.window.advance(2000);
    ticksWhileOpen = TicksSince(opened + 1).size();
    closed = fake.window.now();
  };
  fake.writeList("30\r\n\r\n");  // a blank line: failure 13 on every refresh
  fake.window.advance(0);
  ASSERT_EQ(fake.window.messages.size(), 1u);
  EXPECT_EQ(ticksWhileOpen, 3u) << "one tick finds the box open, then only each key brings one";
  fake.window.advance(0);
  ASSERT_EQ(fake.window.messages.size(), 2u) << "the failure is still there: reported again";
  EXPECT_EQ(fake.window.messages[1].shownAtMs, closed);
  fake.window.advance(100);
  EXPECT_EQ(fake.window.messages.size(), 7u) << "every 20 ms, as long as the failure stays";

  fake.writeList("30\r\n");
  fake.window.advance(100);
  EXPECT_EQ(fake.window.messages.size(), 7u);
  EXPECT_TRUE(Resting());
}

}  // namespace
}  // namespace lumio
