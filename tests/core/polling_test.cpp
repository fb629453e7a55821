#include <string>

#include "form_fixture.h"
#include "keymonitor/key_list.h"

namespace lumio {
namespace {

using testing::FormTest;

class Polling : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    StartPolling();
  }
};

TEST_F(Polling, ListedKeysAreYellowWhileDownAndActiveBorderWhileUp) {
  fake.writeList("30\r\n31\r\n");
  fake.keyboard.press(30);
  fake.window.advance(20);
  EXPECT_EQ(Key(30), kYellow);
  EXPECT_EQ(Key(31), kActiveBorder);
  EXPECT_EQ(Key(32), kButtonFace);  // not listed: untouched
  EXPECT_EQ(Key(14), kLightGrey);
  fake.keyboard.release(30);
  fake.window.advance(20);
  EXPECT_EQ(Key(30), kActiveBorder);
  EXPECT_EQ(fake.window.ticksOf(TimerName::Timer1), 2);
}

TEST_F(Polling, AKeyTappedBetweenTwoTicksIsNeverSeen) {
  fake.writeList("44\r\n");
  fake.window.advance(20);
  fake.keyboard.press(44);
  fake.keyboard.release(44);
  fake.window.advance(20);
  EXPECT_EQ(Key(44), kActiveBorder);
}

TEST_F(Polling, UnchangedColoursCostTheWindowNothing) {
  fake.writeList(DefaultKeyListBytes());
  fake.window.advance(20);
  const int firstPass = fake.window.colourSets;
  EXPECT_EQ(firstPass, 103 - 1);  // every listed key but "A", which already has the up colour
  fake.window.advance(200);
  EXPECT_EQ(fake.window.colourSets, firstPass);
  fake.keyboard.press(16);
  fake.window.advance(20);
  EXPECT_EQ(fake.window.colourSets, firstPass + 1);
}

TEST_F(Polling, CodeZeroAndF11AreButtonsButNotDefaults) {
  fake.writeList("0\r\n87\r\n87\r\n");
  fake.keyboard.press(87);
  fake.window.advance(20);
  EXPECT_EQ(Key(0), kActiveBorder);  // listed code 0 has no key: always up
  EXPECT_EQ(Key(87), kYellow);
  EXPECT_TRUE(fake.window.messages.empty());
  fake.writeList(DefaultKeyListBytes());
  fake.window.advance(20);
  EXPECT_EQ(Key(87), kYellow);  // off the list: keeps its last colour
  EXPECT_EQ(Key(0), kActiveBorder);
}

TEST_F(Polling, CapsLockDownStartsTheAnnouncementTimerOnEveryTick) {
  fake.writeList("58\r\n");
  fake.window.advance(20);
  EXPECT_FALSE(fake.window.timerEnabled(TimerName::tmrTestCaps));
  fake.keyboard.press(kCapsLockCode);
  for (int tick = 1; tick <= 3; ++tick) {
    fake.window.advance(20);
    EXPECT_TRUE(fake.window.timerEnabled(TimerName::tmrTestCaps));
    EXPECT_EQ(fake.window.timerDueAt(TimerName::tmrTestCaps), fake.window.now() + 700);
  }
}

TEST_F(Polling, CodesWithoutAButtonFailAtTheirLine) {
  struct Case {
    const char* list;
    int number;
    const char* text;
  };
  const Case cases[] = {
      {"30\r\n99\r\n31\r\n", 340, "Lumio Load - Error: 340 Control array element '99' doesn't exist"},
      {"30\r\n300\r\n31\r\n", 9, "Lumio Load - Error: 9 Subscript out of range"},
      {"30\r\n-0.5\r\n31\r\n", 9, "Lumio Load - Error: 9 Subscript out of range"},
      {"30\r\n\r\n31\r\n", 13, "Lumio Load - Error: 13 Type mismatch"},
      {"30\r\n4294967296\r\n31\r\n", 6, "Lumio Load - Error: 6 Overflow"},
  };
  for (const Case& c : cases) {
    fake.window.messages.clear();
    fake.window.keyColour[30] = fake.window.keyColour[31] = 0;
    fake.writeList(c.list);
    fake.keyboard.press(30);
    fake.keyboard.press(31);
    fake.window.advance(20);
    ASSERT_EQ(fake.window.messages.size(), 1u) << c.list;
    EXPECT_EQ(fake.window.messages[0].text, c.text);
    EXPECT_EQ(fake.window.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(fake.window.messages[0].caption, "Lumio - Caps Lock");
    EXPECT_EQ(Key(31), 0u) << "lines after the failure are not handled";
    fake.keyboard.release(30);
    fake.keyboard.release(31);
  }
}

TEST_F(Polling, MissingListIsWrittenSilentlyAndTheScreenRestored) {
  fake.icons.visible = false;
  fake.window.advance(20);
  EXPECT_TRUE(fake.window.messages.empty());
  EXPECT_EQ(fake.readList(), DefaultKeyListBytes());
  EXPECT_TRUE(fake.icons.visible);
  EXPECT_EQ(fake.screen.repaintsAfterDraw.size(), 1u);
  fake.keyboard.press(16);
  fake.window.advance(20);
  EXPECT_EQ(Key(16), kYellow);
}

TEST_F(Polling, ListThatCannotBeWrittenEndsTheProgramWithAReportThatStaysUntilDismissed) {
  fake.environment.elsewhere = fake.environment.folder.path() / "gone";  // the program's folder vanished
  bool endedUnderTheBox = true;
  fake.window.whileMessageOpen = [&] {  // the user reads for two seconds; ticks go on meanwhile
    fake.window.advance(2000);
    endedUnderTheBox = fake.window.ended;
  };
  fake.window.advance(20);
  ASSERT_EQ(fake.window.messages.size(), 1u);  // no tick stacked another box
  EXPECT_EQ(fake.window.messages[0].text.rfind("Run-time error '75':", 0), 0u) << fake.window.messages[0].text;
  EXPECT_FALSE(endedUnderTheBox) << "no tick may take the box away";
  EXPECT_TRUE(fake.window.ended);
}

TEST_F(Polling, OneFailureBoxAtATimeWhileTicksGoOn) {
  fake.writeList("\r\n");
  fake.window.whileMessageOpen = [this] { fake.window.advance(1000); };  // the user reads for a second
  fake.window.advance(20);
  EXPECT_EQ(fake.window.messages.size(), 1u);
  EXPECT_GE(fake.window.ticksOf(TimerName::Timer1), 50);  // ticks kept coming while the box was open
  EXPECT_EQ(fake.keyboard.snapshots, 1);                  // but started no refresh
  fake.window.advance(20);
  EXPECT_EQ(fake.window.messages.size(), 2u);  // once dismissed, the next tick reports again
}

TEST_F(Polling, WithoutADeviceEveryRefreshFailsAndIsReported) {
  fakes::FakePlatform other;
  frmOSD noDevice(other.platform());
  other.window.createWindow(frmOSDLayout(), noDevice);
  other.writeList("30\r\n");
  other.window.setTimerEnabled(TimerName::Timer1, true);
  other.window.advance(40);
  ASSERT_EQ(other.window.messages.size(), 2u);
  EXPECT_EQ(other.window.messages[0].text, "Lumio Load - Error: 91 Object variable or With block variable not set");
}

TEST_F(Polling, SnapshotFailureCarriesThePlatformsNumber) {
  fake.writeList("30\r\n");
  fake.keyboard.stateFailure = Failure(-2147024866, "The device is not acquired.");
  fake.window.advance(20);
  ASSERT_EQ(fake.window.messages.size(), 1u);
  EXPECT_EQ(fake.window.messages[0].text, "Lumio Load - Error: -2147024866 The device is not acquired.");
}

class KeyClick : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    StartPolling();
  }
};

TEST_F(KeyClick, AnyKeyRefreshesAllListedButtonsThenYieldsOnce) {
  fake.writeList("30\r\n58\r\n");
  fake.keyboard.press(58);
  form.keyClicked(221);
  EXPECT_EQ(Key(58), kYellow);
  EXPECT_EQ(Key(30), kActiveBorder);
  EXPECT_EQ(fake.window.doEventsCalls, 1);
}

TEST_F(KeyClick, MissingListStopsTheProgramWithoutWritingIt) {
  form.keyClicked(5);
  ASSERT_EQ(fake.window.messages.size(), 1u);
  EXPECT_EQ(fake.window.messages[0].text, "Lumio Load - Error: 53, file list.txt not found.");
  EXPECT_EQ(fake.window.messages[0].icon, MessageIcon::Stop);
  EXPECT_EQ(fake.window.messages[0].caption, "Lumio - Caps Lock");
  EXPECT_TRUE(fake.window.ended);
  EXPECT_FALSE(std::filesystem::exists(fake.listPath()));
  EXPECT_EQ(fake.window.doEventsCalls, 0);
}

TEST_F(KeyClick, OtherFailuresAreShownWithoutTheYield) {
  fake.writeList("abc\r\n");
  form.keyClicked(5);
  ASSERT_EQ(fake.window.messages.size(), 1u);
  EXPECT_EQ(fake.window.messages[0].text, "Lumio Load - Error: 13 Type mismatch");
  EXPECT_FALSE(fake.window.ended);
  EXPECT_EQ(fake.window.doEventsCalls, 0);
}

}  // namespace
}  // namespace lumio
