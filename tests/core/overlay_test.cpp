#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "keymonitor/form_layout.h"
#include "keymonitor/frm_osd.h"
#include "overlay/cosd.h"

namespace lumio {
namespace {

using fakes::FakePlatform;

TEST(StdFont, SizeRoundsHalfToEven) {
  EXPECT_EQ(RoundFontSize(720000), 72);
  EXPECT_EQ(RoundFontSize(82500), 8);
  EXPECT_EQ(RoundFontSize(105000), 10);
  EXPECT_EQ(RoundFontSize(115000), 12);
  EXPECT_EQ(RoundFontSize(125001), 13);
  EXPECT_EQ(RoundFontSize(-25000), -2);
  EXPECT_EQ(RoundFontSize(-15000), -2);
  EXPECT_EQ(RoundFontSize(21474836474999), 2147483647);
}

TEST(StdFont, SizeBeyond32BitsIsOverflow) {
  try {
    RoundFontSize(21474836475000);
    FAIL();
  } catch (const Failure& f) {
    EXPECT_EQ(f.number(), 6);
    EXPECT_EQ(f.description(), "Overflow");
  }
  EXPECT_THROW(RoundFontSize(INT64_MIN), Failure);
}

TEST(StdFont, BoldAndWeightAreOneSetting) {
  StdFont font;
  EXPECT_EQ(font.Weight(), 400);
  EXPECT_EQ(font.Bold(), kFalse);
  font.Bold(kTrue);
  EXPECT_EQ(font.Weight(), 700);
  EXPECT_EQ(font.Bold(), kTrue);
  font.Bold(kFalse);
  EXPECT_EQ(font.Weight(), 400);
}

TEST(cOSDTest, ShowTextCreatesTheFontFromTheFontObject) {
  FakePlatform fake;
  cOSD osd(fake.screen);
  osd.Font()->Bold(kTrue);
  osd.Font()->Size(72 * StdFont::kSizeScale);
  osd.ShowText("Hello", 300, 250, kGreen);
  ASSERT_EQ(fake.screen.draws.size(), 1u);
  const fakes::DrawRecord& d = fake.screen.draws[0];
  EXPECT_EQ(d.x, 250);  // aLeft is x, aTop is y
  EXPECT_EQ(d.y, 300);
  EXPECT_EQ(d.text, "Hello");
  EXPECT_EQ(d.colour, 0x00FF00u);
  EXPECT_EQ(d.font.height, 72);
  EXPECT_EQ(d.font.width, 0);
  EXPECT_EQ(d.font.weight, 700);
  EXPECT_EQ(d.font.italic, 0);
  EXPECT_EQ(d.font.underline, 0);
  EXPECT_EQ(d.font.strikeOut, 0);
  EXPECT_EQ(d.font.charset, 0);
  EXPECT_EQ(d.font.faceName, "MS Sans Serif");
  EXPECT_EQ(d.font.quality, 0);
}

TEST(cOSDTest, FreshFontIsTheStandardOneAndEachInstanceHasItsOwn) {
  FakePlatform fake;
  cOSD first(fake.screen);
  cOSD second(fake.screen);
  first.Font()->Size(20 * StdFont::kSizeScale);
  EXPECT_EQ(first.Font(), first.Font());  // the same object, not a copy
  second.ShowText("", 0, 0, 0);           // empty text still goes to the surface
  ASSERT_EQ(fake.screen.draws.size(), 1u);
  EXPECT_EQ(fake.screen.draws[0].font.height, 8);
  EXPECT_EQ(fake.screen.draws[0].font.weight, 400);
  EXPECT_EQ(fake.screen.draws[0].text, "");
}

TEST(cOSDTest, OverflowingSizeFailsBeforeAnythingIsDrawn) {
  FakePlatform fake;
  cOSD osd(fake.screen);
  osd.Font()->Size(INT64_MAX);
  EXPECT_THROW(osd.ShowText("x", 1, 1, 0), Failure);
  EXPECT_TRUE(fake.screen.draws.empty());
}

TEST(cOSDTest, RemoveTextRepaintsEverythingWhateverWasDrawn) {
  FakePlatform fake;
  cOSD(fake.screen).RemoveText();
  EXPECT_EQ(fake.screen.repaintsAfterDraw.size(), 1u);
}

class OverlayHandlers : public ::testing::Test {
 protected:
  FakePlatform fake;
  frmOSD form{fake.platform()};
  void SetUp() override { fake.window.createWindow(frmOSDLayout(), form); }
};

TEST_F(OverlayHandlers, ShowTextPaintsText1BoldGreenAt250x300) {
  form.cmdShow_Click();
  ASSERT_EQ(fake.screen.draws.size(), 1u);
  EXPECT_EQ(fake.screen.draws[0].text, "Caps Lock is OFF");
  EXPECT_EQ(fake.screen.draws[0].x, 250);
  EXPECT_EQ(fake.screen.draws[0].y, 300);
  EXPECT_EQ(fake.screen.draws[0].font.height, 72);
  EXPECT_EQ(fake.screen.draws[0].font.weight, 700);
  EXPECT_EQ(fake.screen.draws[0].colour, kGreen);

  fake.window.text = "second";
  form.cmdShow_Click();  // lands on top of the first: no erase in between
  EXPECT_EQ(fake.screen.visible().size(), 2u);
  form.cmdRemove_Click();
  EXPECT_TRUE(fake.screen.visible().empty());
}

TEST_F(OverlayHandlers, IconsHideAndShowIdempotently) {
  form.cmdHideIcons_Click();
  form.cmdHideIcons_Click();
  EXPECT_FALSE(fake.icons.visible);
  form.cmdShowicons_Click();
  form.cmdShowicons_Click();
  EXPECT_TRUE(fake.icons.visible);

  fake.icons.present = false;  // no icon window: nothing happens, nothing is said
  form.cmdHideIcons_Click();
  EXPECT_TRUE(fake.window.messages.empty());
}

TEST_F(OverlayHandlers, ButtonsReachTheirHandlersThroughTheWindow) {
  form.controlClicked(Control::cmdHideIcons);
  EXPECT_FALSE(fake.icons.visible);
  form.controlClicked(Control::cmdShowicons);
  EXPECT_TRUE(fake.icons.visible);
  form.controlClicked(Control::cmdShow);
  form.controlClicked(Control::cmdRemove);
  EXPECT_EQ(fake.screen.draws.size(), 1u);
  EXPECT_TRUE(fake.screen.visible().empty());
}

TEST_F(OverlayHandlers, FailureInAButtonIsReportedAndEndsTheProgram) {
  fake.screen.drawFailure = Failure(-2147024882, "Not enough memory resources are available");
  form.controlClicked(Control::cmdShow);
  ASSERT_EQ(fake.window.messages.size(), 1u);
  EXPECT_EQ(fake.window.messages[0].text,
            "Run-time error '-2147024882':\n\nNot enough memory resources are available");
  EXPECT_EQ(fake.window.messages[0].caption, "Lumio - Caps Lock");
  EXPECT_TRUE(fake.window.ended);
  form.controlClicked(Control::cmdShow);  // nothing runs after the end
  EXPECT_EQ(fake.window.messages.size(), 1u);
}

}  // namespace
}  // namespace lumio
