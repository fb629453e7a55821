// A main window on fakes, created but not yet loaded.
#pragma once

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "keymonitor/form_layout.h"
#include "keymonitor/frm_osd.h"
#include "keymonitor/module1.h"

namespace lumio::testing {

class FormTest : public ::testing::Test {
 protected:
  fakes::FakePlatform fake;
  frmOSD form{fake.platform()};

  void SetUp() override {
    bAllowShow = kFalse;  // as at program start
    fake.window.createWindow(frmOSDLayout(), form);
  }
  void TearDown() override { bAllowShow = kFalse; }

  // The state right after the introduction: device open, polling running,
  // nothing recorded of the way there.
  void StartPolling() {
    form.Form_Load();
    fake.window.advance(7000);
    fake.screen.draws.clear();
    fake.screen.repaintsAfterDraw.clear();
    fake.icons.calls.clear();
    fake.window.ticks.clear();
  }
  Colour Key(int index) const { return fake.window.keyColour[static_cast<std::size_t>(index)]; }
};

}  // namespace lumio::testing
