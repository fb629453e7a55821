#include <regex>

#include "form_fixture.h"
#include "keymonitor/error_messages.h"
#include "keymonitor/key_list.h"

namespace lumio {
namespace {

using testing::FormTest;

class Startup : public FormTest {};

TEST_F(Startup, LoadHidesIconsAndPaintsTheFiveLineBanner) {
  form.Form_Load();
  EXPECT_EQ(bAllowShow, kTrue);
  EXPECT_EQ(fake.keyboard.openedWith, fakes::FakeWindowSystem::kHandle);
  EXPECT_EQ(fake.icons.calls, std::vector<bool>{false});
  ASSERT_EQ(fake.screen.draws.size(), 5u);
  const std::int32_t tops[] = {300, 340, 360, 380, 400};
  for (std::size_t i = 0; i < 5; ++i) {
    const fakes::DrawRecord& d = fake.screen.draws[i];
    EXPECT_EQ(d.y, tops[i]);
    EXPECT_EQ(d.x, 250);
    EXPECT_EQ(d.colour, kGreen);
    EXPECT_EQ(d.font.weight, 700);
    EXPECT_EQ(d.font.height, i == 0 ? 32 : 20);
    EXPECT_FALSE(d.text.empty());
  }
  EXPECT_EQ(fake.screen.draws[0].text, "About: Lumio");
  EXPECT_EQ(fake.screen.draws[1].text, "Displays the Caps-Lock status on screen.");
  EXPECT_EQ(fake.screen.draws[2].text, "Press Caps Lock at any time to see it here.");
  EXPECT_EQ(fake.screen.draws[3].text, "Version: 1.1.5");
  EXPECT_EQ(fake.screen.draws[4].text, "Visit our website: " + std::string(kWebsite));
  // Set at build time: whatever address it is, it is one a browser can open.
  EXPECT_TRUE(std::regex_match(std::string(kWebsite), std::regex("[A-Za-z][A-Za-z0-9+.-]*://[^ ]+"))) << kWebsite;
  EXPECT_TRUE(fake.screen.repaintsAfterDraw.empty());
  EXPECT_TRUE(fake.window.messages.empty());
}

TEST_F(Startup, IntroductionEndsOnceAfter7000msAndPollingFollows) {
  fake.writeList("30\r\n");
  form.Form_Load();
  fake.window.advance(6999);
  EXPECT_FALSE(fake.icons.visible);
  EXPECT_EQ(fake.screen.visible().size(), 5u);
  fake.window.advance(1);
  EXPECT_TRUE(fake.icons.visible);
  EXPECT_TRUE(fake.screen.visible().empty());
  EXPECT_EQ(fake.window.ticksOf(TimerName::Timer1), 0);
  fake.window.advance(20);
  EXPECT_EQ(fake.window.ticksOf(TimerName::Timer1), 1);
  EXPECT_EQ(fake.window.ticks[1].atMs, 7020);
  fake.window.advance(60000);
  EXPECT_EQ(fake.window.ticksOf(TimerName::tmrAbout), 1);
  EXPECT_EQ(Key(30), kActiveBorder);
}

TEST_F(Startup, DeviceFailureSkipsTheRestAndIsReportedOnce) {
  fake.keyboard.openFailure = Failure(-2147221164, "Class not registered");
  form.Form_Load();
  ASSERT_EQ(fake.window.messages.size(), 1u);
  EXPECT_EQ(fake.window.messages[0].text, "Lumio Load - Error: -2147221164 Class not registered");
  EXPECT_EQ(fake.window.messages[0].icon, MessageIcon::Information);
  EXPECT_EQ(bAllowShow, kTrue);
  EXPECT_TRUE(fake.icons.calls.empty());
  EXPECT_TRUE(fake.screen.draws.empty());
  // The introduction still ends and polling starts, failing without a device.
  fake.writeList("30\r\n");
  fake.window.advance(7020);
  EXPECT_EQ(fake.icons.calls, std::vector<bool>{true});
  ASSERT_EQ(fake.window.messages.size(), 2u);
  EXPECT_EQ(fake.window.messages[1].text, "Lumio Load - Error: 91 Object variable or With block variable not set");
}

TEST_F(Startup, BannerFailureLeavesIconsHiddenUntilTheIntroductionEnds) {
  fake.screen.drawFailure = Failure(7, "Out of memory");
  form.Form_Load();
  ASSERT_EQ(fake.window.messages.size(), 1u);
  EXPECT_EQ(fake.window.messages[0].text, "Lumio Load - Error: 7 Out of memory");
  EXPECT_FALSE(fake.icons.visible);
  fake.window.advance(7000);
  EXPECT_TRUE(fake.icons.visible);
}

TEST_F(Startup, FileNotFoundDuringLoadWritesTheListOnlyWhenThereIsNone) {
  fake.icons.failure = failures::FileNotFound();
  form.Form_Load();
  EXPECT_TRUE(fake.window.messages.empty());
  EXPECT_TRUE(fake.screen.draws.empty());  // the steps after it are skipped
  EXPECT_EQ(fake.readList(), DefaultKeyListBytes());

  fake.writeList("58\r\n");
  form.Form_Load();
  EXPECT_EQ(fake.readList(), "58\r\n");  // the user's own list stays
}

TEST_F(Startup, TimersTickWhileTheLoadMessageIsOpen) {
  fake.keyboard.openFailure = Failure(5, "Invalid procedure call or argument");
  fake.window.whileMessageOpen = [this] { fake.window.advance(8000); };
  form.Form_Load();
  EXPECT_EQ(fake.window.ticksOf(TimerName::tmrAbout), 1);
  EXPECT_TRUE(fake.window.timerEnabled(TimerName::Timer1));
}

class Lifetime : public ::testing::Test {
 protected:
  fakes::FakePlatform fake;
  frmOSD form{fake.platform()};
  void TearDown() override { bAllowShow = kFalse; }
};

TEST_F(Lifetime, ASecondInstanceLeavesNoTrace) {
  fake.instance.other = true;
  bool looped = false;
  fake.window.eventLoop = [&] { looped = true; };
  EXPECT_EQ(form.run(), 0);
  EXPECT_FALSE(looped);
  EXPECT_FALSE(fake.window.shown);
  EXPECT_TRUE(fake.icons.calls.empty());
  EXPECT_TRUE(fake.screen.draws.empty());
  EXPECT_TRUE(fake.screen.repaintsAfterDraw.empty());
  EXPECT_FALSE(fake.keyboard.openedWith.has_value());
  EXPECT_EQ(bAllowShow, kFalse);
}

TEST_F(Lifetime, ClosingDuringTheIntroductionGivesTheDesktopBack) {
  fake.window.eventLoop = [&] {
    EXPECT_TRUE(fake.window.shown);
    fake.window.advance(3000);  // then the user closes the window
  };
  EXPECT_EQ(form.run(), 0);
  EXPECT_TRUE(fake.icons.visible);
  EXPECT_TRUE(fake.screen.visible().empty());
}

TEST_F(Lifetime, ClosingLaterChangesNothingMoreUnlessTextIsShowing) {
  fake.writeList("58\r\n");
  fake.window.eventLoop = [&] { fake.window.advance(9000); };
  form.run();
  EXPECT_EQ(fake.screen.repaintsAfterDraw.size(), 1u);  // the introduction's own erase only
  EXPECT_EQ(fake.icons.calls, (std::vector<bool>{false, true}));
}

TEST_F(Lifetime, EndingWithAnAnnouncementOnScreenErasesIt) {
  fake.writeList("58\r\n");
  fake.window.eventLoop = [&] {
    fake.window.advance(7100);
    fake.keyboard.press(kCapsLockCode);
    fake.window.advance(40);
    fake.keyboard.release(kCapsLockCode);
    fake.window.advance(800);  // painted, not yet erased
    EXPECT_EQ(fake.screen.visible().size(), 1u);
  };
  form.run();
  EXPECT_TRUE(fake.screen.visible().empty());
}

TEST_F(Lifetime, UncaughtFailureDuringTheIntroductionStillRestores) {
  fake.window.eventLoop = [&] {
    fake.screen.repaintFailure = Failure(-2147024890, "The handle is invalid.");
    fake.window.advance(7000);  // the introduction's erase fails: uncaught
    fake.screen.repaintFailure.reset();
  };
  EXPECT_NE(form.run(), 0);
  ASSERT_EQ(fake.window.messages.size(), 1u);
  EXPECT_EQ(fake.window.messages[0].text.rfind("Run-time error '-2147024890'", 0), 0u);
  EXPECT_TRUE(fake.icons.visible);
  EXPECT_TRUE(fake.screen.visible().empty());
}

TEST_F(Lifetime, WhatEscapesTheEventLoopComesOutAfterTheDesktopIsGivenBack) {
  fake.window.eventLoop = [&] {
    fake.window.advance(3000);  // icons hidden, banner painted
    throw 42;                   // from an event, past everything the form catches
  };
  EXPECT_THROW(form.run(), int);
  EXPECT_TRUE(fake.icons.visible);
  EXPECT_TRUE(fake.screen.visible().empty());

  // What the entry point then shows, for each kind of thing that escapes.
  const std::pair<std::exception_ptr, std::string> cases[] = {
      {std::make_exception_ptr(42), "Run-time error '51':\n\nInternal error"},
      {std::make_exception_ptr(std::runtime_error("boom")), "Run-time error '51':\n\nInternal error: boom"},
      {std::make_exception_ptr(Failure(57, "Device I/O error")), "Run-time error '57':\n\nDevice I/O error"},
  };
  for (const auto& [escaped, text] : cases) EXPECT_EQ(EscapedErrorText(escaped), text);
}

TEST_F(Lifetime, KeyClickWithoutAListEndsAndRestores) {
  fake.window.eventLoop = [&] {
    fake.window.advance(1000);
    form.keyClicked(30);
    fake.window.advance(10000);  // nothing more is delivered
  };
  form.run();
  EXPECT_TRUE(fake.window.ended);
  EXPECT_EQ(fake.window.ticksOf(TimerName::tmrAbout), 0);
  EXPECT_TRUE(fake.icons.visible);
  EXPECT_TRUE(fake.screen.visible().empty());
}

}  // namespace
}  // namespace lumio
