// Where a fully drawn announcement lies: its 72 px cell has its top-left
// corner at (250, 300), and "Caps Lock is ON" runs well past x = 700.
#pragma once

#include <gtest/gtest.h>

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

}  // namespace lumio::testing::e2e
