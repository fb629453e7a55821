// What every end-to-end test expects of an announcement: when it shows and
// goes, and where a fully drawn one lies: its 72 px cell has its top-left
// corner at (250, 300), and "Caps Lock is ON" runs well past x = 700.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <string>
#include <thread>

#include "e2e/e2e_support.h"

namespace lumio::testing::e2e {

inline void ExpectWholeAnnouncement(const GreenArea& text) {
  EXPECT_GE(text.left, kTextLeft - 2);
  EXPECT_LE(text.left, kTextLeft + 10);
  EXPECT_GE(text.top, kTextTop - 1);
  EXPECT_LE(text.top, kTextTop + 72 * 3 / 10);
  EXPECT_LE(text.bottom, kTextTop + 72);
  EXPECT_GT(text.bottom, kTextTop + 50) << "the text looks cut at the bottom";
  EXPECT_GT(text.right, 700) << "the text looks cut at the right";
}

// When an announcement may show, counted from what set it off, and how long
// it stays, counted from when it was first seen.
struct AnnouncementTimes {
  std::chrono::milliseconds notBefore, within;
  std::chrono::milliseconds goneWithin, shownAtLeast{0};
};

// Waits for the announcement in `look` (a screenshot of the text area),
// checks its times, and returns it fully drawn; whileShown gets the
// screenshot of the whole text while it is still up.
inline GreenArea WatchAnnouncement(const std::function<ScreenImage()>& look, Clock::time_point from,
                                   const std::string& what, const AnnouncementTimes& times,
                                   const std::function<void(const ScreenImage&)>& whileShown = {}) {
  using std::chrono::milliseconds;
  const auto green = [&] { return FindGreen(look()).any(); };
  const bool shown = WaitUntil(green, times.within);
  const long long shownMs = MsSince(from);
  const auto shownAt = Clock::now();
  EXPECT_TRUE(shown) << what << ": nothing shown within " << times.within.count() << " ms";
  if (!shown) return {};
  EXPECT_GE(shownMs, times.notBefore.count()) << what << " shown too soon";
  std::this_thread::sleep_for(milliseconds(100));  // the whole text, not a frame caught half-way
  const ScreenImage whole = look();
  if (whileShown) whileShown(whole);
  const auto left = std::chrono::duration_cast<milliseconds>(shownAt + times.goneWithin - Clock::now());
  EXPECT_TRUE(WaitUntil([&] { return !green(); }, left))
      << what << ": still on the screen " << times.goneWithin.count() << " ms after it was first seen";
  const long long shownForMs = MsSince(shownAt);
  EXPECT_GE(shownForMs, times.shownAtLeast.count()) << what << " erased too soon";
  std::cout << "[ figures  ] " << what << ": first seen " << shownMs << " ms after it was set off, shown for about "
            << shownForMs << " ms\n";
  return FindGreen(whole);
}

}  // namespace lumio::testing::e2e
