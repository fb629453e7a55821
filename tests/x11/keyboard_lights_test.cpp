// The keyboard lights read from a folder laid out like /sys/class/leds, in a
// scratch folder. Its files, unlike the
// kernel's, would wake an inotify waiter: the reader must not rely on that,
// and nothing here does.
#include "platform/linux/os/keyboard_lights.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "support/temp_folder.h"

namespace lumio::os {
namespace {

namespace fs = std::filesystem;

class KeyboardLightsTest : public ::testing::Test {
 protected:
  // Writes the light's file in place, as the kernel changes it.
  void setLight(const std::string& entry, const std::string& text) {
    fs::create_directories(leds() / entry);
    std::ofstream(leds() / entry / "brightness", std::ios::binary | std::ios::trunc) << text;
  }
  fs::path leds() const { return folder_.path() / "leds"; }

  lumio::testing::TempFolder folder_{"lumio-leds"};
};

TEST(LightFromTextTest, ANumberAsTheKernelWritesItElseNothing) {
  const struct {
    std::string text;
    std::optional<bool> lit;
  } cases[] = {{"0\n", false}, {"1\n", true}, {"255", true}, {"00\n", false}, {"", std::nullopt},
               {"\n", std::nullopt}, {"on\n", std::nullopt}, {"-1\n", std::nullopt}, {" 1\n", std::nullopt},
               {"1\n\n", std::nullopt}, {"12abc", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(LightFromText(c.text.data(), c.text.size()), c.lit) << '"' << c.text << '"';
}

TEST_F(KeyboardLightsTest, EachTurnSeenInExactlyOneCheckAndAKeyboardCatchingUpWithTheOthersIsNoTurn) {
  for (const char* entry : {"input3::capslock", "input3::numlock", "input3::scrolllock", "input7::capslock",
                            "input7::numlock", "phy0-led", "input9::kana", "::capslock"})
    setLight(entry, "0\n");
  setLight("input7::numlock", "1\n");
  KeyboardLights lights(leds());
  EXPECT_EQ(lights.keyboardsWithCapsLockLight(), 2u);
  EXPECT_EQ(lights.lit(LockKey::Caps), false);
  EXPECT_EQ(lights.lit(LockKey::Num), true) << "lit on one keyboard of two";
  EXPECT_EQ(lights.lit(LockKey::Scroll), false);

  setLight("input3::capslock", "1\n");  // before the first check: only learnt, not a change
  EXPECT_FALSE(lights.capsLockChanged());
  EXPECT_EQ(lights.lit(LockKey::Caps), true);
  const struct {
    const char* entry;
    const char* text;
    bool changed;
  } steps[] = {{"input7::capslock", "1\n", false},  // catching up with input3
               {nullptr, nullptr, false},
               {"input3::capslock", "0\n", true},  // turned, input7 not yet set
               {"input7::capslock", "0\n", false},
               {"input3::numlock", "1\n", false},
               {"input7::capslock", "1\n", true},  // input3 was dark: no catching up
               {"input3::capslock", "1\n", false}};
  int check = 2;
  for (const auto& step : steps) {
    if (step.entry != nullptr) setLight(step.entry, step.text);
    EXPECT_EQ(lights.capsLockChanged(), step.changed) << "check " << check;
    ++check;
  }
  EXPECT_FALSE(lights.capsLockChanged()) << "a change is seen once";
  setLight("input3::capslock", "0\n");  // both turned between two checks: one turn
  setLight("input7::capslock", "0\n");
  EXPECT_TRUE(lights.capsLockChanged());
  EXPECT_EQ(lights.lit(LockKey::Caps), false);

  setLight("input7::capslock", "1\n");  // lit and dark again between two checks: nothing to see
  setLight("input7::capslock", "0\n");
  EXPECT_FALSE(lights.capsLockChanged());
}

TEST_F(KeyboardLightsTest, KeyboardsPluggedInOrTakenAwayAreFoundWhenTheFolderIsLookedIntoAgain) {
  setLight("input3::capslock", "0\n");
  setLight("input3::scrolllock", "1\n");
  setLight("input7::capslock", "0\n");
  KeyboardLights lights(leds());
  lights.capsLockChanged();

  setLight("input12::capslock", "1\n");
  fs::remove_all(leds() / "input3::capslock");
  fs::remove_all(leds() / "input3::scrolllock");
  EXPECT_FALSE(lights.capsLockChanged());
  EXPECT_EQ(lights.keyboardsWithCapsLockLight(), 2u) << "the folder is not read at every check";
  lights.lookIntoFolder();
  EXPECT_FALSE(lights.capsLockChanged()) << "a new keyboard's first reading";
  EXPECT_EQ(lights.keyboardsWithCapsLockLight(), 2u) << "input7 and input12";
  EXPECT_EQ(lights.lit(LockKey::Caps), true);
  EXPECT_EQ(lights.lit(LockKey::Scroll), std::nullopt) << "the keyboard with that light is gone";

  setLight("input12::capslock", "0\n");  // the only lit one goes dark: input7 was dark all along
  EXPECT_FALSE(lights.capsLockChanged()) << "catching up";
  fs::remove_all(leds());
  lights.lookIntoFolder();
  EXPECT_EQ(lights.keyboardsWithCapsLockLight(), 0u);
  EXPECT_EQ(lights.lit(LockKey::Caps), std::nullopt);

  setLight("input20::capslock", "1\n");  // the folder itself comes back
  lights.lookIntoFolder();
  EXPECT_EQ(lights.keyboardsWithCapsLockLight(), 1u);
}

TEST_F(KeyboardLightsTest, LightsThatCannotBeReadOrHoldGarbageAreSkipped) {
  setLight("input3::capslock", "0\n");
  fs::create_directories(leds() / "input4::capslock/brightness");  // a folder in the file's place
  fs::create_directories(leds() / "input5::capslock");
  ASSERT_EQ(mkfifo((leds() / "input5::capslock/brightness").c_str(), 0644), 0);  // no writer: would block
  fs::create_directories(leds() / "input6::capslock");
  fs::create_symlink("/nonexistent/brightness", leds() / "input6::capslock/brightness");
  fs::create_directories(leds() / "input8::capslock");  // no brightness file at all
  setLight("input9::capslock", "garbage\n");
  setLight("input9::numlock", "");
  KeyboardLights lights(leds());
  EXPECT_EQ(lights.keyboardsWithCapsLockLight(), 2u) << "input3, and input9 whose file is a file";
  EXPECT_EQ(lights.lit(LockKey::Num), std::nullopt);

  EXPECT_FALSE(lights.capsLockChanged());
  setLight("input3::capslock", "1\n");
  EXPECT_TRUE(lights.capsLockChanged()) << "the good keyboard is still read";
  EXPECT_EQ(lights.lit(LockKey::Caps), true);

  // Garbage for a while is no change; the next number is judged against the
  // last one read.
  setLight("input3::capslock", "?\n");
  EXPECT_FALSE(lights.capsLockChanged());
  EXPECT_EQ(lights.lit(LockKey::Caps), std::nullopt);
  setLight("input3::capslock", "0\n");
  EXPECT_TRUE(lights.capsLockChanged());
  setLight("input9::capslock", "0\n");  // readable at last: its first reading
  EXPECT_FALSE(lights.capsLockChanged());
  setLight("input9::capslock", "1\n");
  EXPECT_TRUE(lights.capsLockChanged());
}

}  // namespace
}  // namespace lumio::os
