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

  void OpenKeyboardDevice() { form.OpenKeyboardDevice(); }
  // The state right after the introduction: device open, polling running.
  void StartPolling() {
    OpenKeyboardDevice();
    fake.window.setTimerEnabled(TimerName::tmrAbout, false);
    fake.window.setTimerEnabled(TimerName::Timer1, true);
  }
  Colour Key(int index) const { return fake.window.keyColour[static_cast<std::size_t>(index)]; }
  // The last list line handled, and its code.
  std::int32_t KeyCode() const { return form.KeyCode; }
  std::string_view KeyLine() const { return {form.KeyLine.data(), form.keyLineLength_}; }
};

}  // namespace lumio::testing
