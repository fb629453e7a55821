#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "keymonitor/form_layout.h"
#include "support/form_lookup.h"
#include "keymonitor/key_pictures.h"

namespace lumio {
namespace {

TEST(FormLayout, KeyIndexesAreExactlyTheKeyboard) {
  std::set<int> expected;
  for (int i = 0; i <= 83; ++i) expected.insert(i);
  for (int i : {87, 88, 156, 157, 181, 183, 184, 197, 199, 200, 201, 203, 205, 207, 208, 209, 210, 211, 219, 220, 221})
    expected.insert(i);
  std::set<int> actual;
  for (const KeyDesc& key : frmOSDLayout().keys) actual.insert(key.index);
  EXPECT_EQ(frmOSDLayout().keys.size(), 105u);
  EXPECT_EQ(actual, expected);
  for (int code = -5; code < 300; ++code) EXPECT_EQ(HasKeyButton(code), expected.count(code) == 1) << code;
}

TEST(FormLayout, CaptionsThatAreEasyToGetWrong) {
  EXPECT_EQ(FindKey(197)->caption, "Pause ");  // the trailing blank is part of it
  EXPECT_EQ(FindKey(41)->caption, "`");
  EXPECT_EQ(FindKey(43)->caption, "\\");
  EXPECT_EQ(FindKey(0)->caption, "Esc");
  EXPECT_EQ(FindKey(1)->caption, "key 1");
  for (int picture : {219, 220, 221}) EXPECT_TRUE(FindKey(picture)->caption.empty()) << picture;
}

TEST(FormLayout, StylesColoursAndFontsAtRest) {
  int windowFont = 0;
  for (const KeyDesc& key : frmOSDLayout().keys) {
    EXPECT_EQ(key.graphical, key.index != 1) << key.index;
    const Colour expected = key.index == 14 ? kLightGrey : key.index == 30 ? kActiveBorder : kButtonFace;
    EXPECT_EQ(key.backColor, expected) << key.index;
    if (key.font.name == "Tahoma") {
      ++windowFont;
      EXPECT_EQ(key.font.points, 8.25);
    } else {
      EXPECT_EQ(key.font.name, "MS Serif");
      EXPECT_TRUE(key.font.points == 6.75 || key.font.points == 8.25 || key.font.points == 9.75) << key.index;
    }
  }
  EXPECT_EQ(windowFont, 13);
  EXPECT_EQ(FindKey(219)->picture, KeyPicture::WindowsFlag);
  EXPECT_EQ(FindKey(220)->picture, KeyPicture::WindowsFlag);
  EXPECT_EQ(FindKey(221)->picture, KeyPicture::Menu);
}

// An independent copy of the layout table, one line per child (see the
// file's head), against what the window is built from.
TEST(FormLayout, EveryChildIsWhereTheLayoutTablePutsIt) {
  std::ifstream in(LUMIO_TEST_DATA_DIR "/key_grid.txt");
  if (!in) in.open("Z:" LUMIO_TEST_DATA_DIR "/key_grid.txt");  // under Wine
  ASSERT_TRUE(in) << "no key_grid.txt";
  const FormDescription& form = frmOSDLayout();
  std::set<int> keys;
  std::set<std::string> controls;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    SCOPED_TRACE(line);
    std::vector<std::string> f;
    std::stringstream fields(line);
    for (std::string field; std::getline(fields, field, '|');) f.push_back(field);
    ASSERT_EQ(f.size(), 11u);
    const std::array<int, 5> placed{std::stoi(f[3]), std::stoi(f[4]), std::stoi(f[5]), std::stoi(f[6]), std::stoi(f[7])};
    const FontDesc font{f[8], std::stod(f[9])};
    const Colour colour = f[10] == "default" ? kButtonFace : static_cast<Colour>(std::stoul(f[10].substr(2), nullptr, 16));
    if (f[0] == "key") {
      const KeyDesc* key = FindKey(std::stoi(f[1]));
      ASSERT_NE(key, nullptr);
      EXPECT_EQ(key->caption, f[2]);
      EXPECT_EQ((std::array{key->left, key->top, key->width, key->height, key->tabIndex}), placed);
      EXPECT_EQ(key->font.name, font.name);
      EXPECT_EQ(key->font.points, font.points);
      EXPECT_EQ(key->backColor, colour);
      keys.insert(key->index);
    } else {
      const auto child = std::find_if(form.children.begin(), form.children.end(),
                                      [&](const ChildDesc& c) { return c.name == f[1]; });
      ASSERT_NE(child, form.children.end());
      EXPECT_EQ(child->caption, f[2]);
      EXPECT_EQ((std::array{child->left, child->top, child->width, child->height, child->tabIndex}), placed);
      EXPECT_EQ(form.font.name, font.name);  // the children have no font of their own
      EXPECT_EQ(form.font.points, font.points);
      EXPECT_EQ(colour, kButtonFace);
      controls.insert(f[1]);
    }
  }
  EXPECT_EQ(keys.size(), form.keys.size());
  EXPECT_EQ(keys.size(), 105u);
  EXPECT_EQ(controls.size(), form.children.size());
}

TEST(FormLayout, TabOrderRunsThroughEveryControlOnce) {
  const FormDescription& form = frmOSDLayout();
  ASSERT_EQ(form.tabOrder.size(), 111u);
  for (std::size_t i = 0; i < form.tabOrder.size(); ++i) {
    const TabStop& stop = form.tabOrder[i];
    ASSERT_NE(stop.child == nullptr, stop.key == nullptr) << i;
    EXPECT_EQ(stop.child != nullptr ? stop.child->tabIndex : stop.key->tabIndex, static_cast<int>(i));
  }
}

TEST(FormLayout, WindowShowsOnlyItsTitleBar) {
  const FormDescription& form = frmOSDLayout();
  EXPECT_EQ(form.caption, "Lumio - Caps Lock");
  EXPECT_EQ(form.clientWidth, 4350);
  EXPECT_EQ(form.clientHeight, 30);
  for (const ChildDesc& child : form.children) EXPECT_GE(child.top, 240) << child.name;
  for (const KeyDesc& key : form.keys) EXPECT_GE(key.top, 240) << key.index;
  EXPECT_EQ(form.children[0].caption, "Caps Lock is OFF");
  EXPECT_TRUE(form.children[0].isTextBox);
}

TEST(FormLayout, TimersAtCreation) {
  const FormDescription& form = frmOSDLayout();
  ASSERT_EQ(form.timers.size(), 4u);
  for (const TimerDesc& timer : form.timers) {
    EXPECT_EQ(timer.enabled, timer.timer == TimerName::tmrAbout) << timer.name;
    const int interval = timer.timer == TimerName::tmrAbout ? 7000 : timer.timer == TimerName::Timer1 ? 20 : 700;
    EXPECT_EQ(timer.intervalMs, interval) << timer.name;
  }
}

TEST(KeyPictures, SizesBackgroundsAndInk) {
  const KeyBitmap flag = DrawKeyPicture(KeyPicture::WindowsFlag);
  const KeyBitmap menu = DrawKeyPicture(KeyPicture::Menu);
  EXPECT_EQ(flag.width, 25);
  EXPECT_EQ(flag.height, 17);
  EXPECT_EQ(menu.width, 17);
  EXPECT_EQ(menu.height, 25);
  EXPECT_EQ(flag.at(0, 0), 0xB9B9B9u);
  EXPECT_EQ(menu.at(0, 0), 0xB4B4B4u);
  const auto ink = [](const KeyBitmap& b) { return std::count(b.pixels.begin(), b.pixels.end(), 0u); };
  EXPECT_GT(ink(flag), 30);
  EXPECT_GT(ink(menu), 60);
  EXPECT_EQ(menu.at(5, 4), 0u);  // the filled band at the top
  EXPECT_TRUE(DrawKeyPicture(KeyPicture::None).pixels.empty());
  EXPECT_EQ(frmOSDLayout().pictureOf(*FindKey(221)).pixels, menu.pixels);  // what the backends are handed
}

TEST(Units, TwipsToPixels) {
  EXPECT_EQ(TwipsToPixels(15, 96), 1);
  EXPECT_EQ(TwipsToPixels(4350, 96), 290);
  EXPECT_EQ(TwipsToPixels(30, 96), 2);
  EXPECT_EQ(TwipsToPixels(4350, 144), 435);
  EXPECT_EQ(TwipsToPixels(495, 120), 41);  // 41.25
}

}  // namespace
}  // namespace lumio
