// The real X11 backend objects around one form, for tests against the X
// server in $DISPLAY. The list file lives in a temporary folder of the test.
#pragma once

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "keymonitor/form_layout.h"
#include "keymonitor/frm_osd.h"
#include "keymonitor/key_list.h"
#include "platform/linux/x11/desktop_icons_x11.h"
#include "platform/linux/x11/instance_guard_x11.h"
#include "platform/linux/os/program_environment_linux.h"
#include "platform/linux/x11/keyboard_x11.h"
#include "platform/linux/x11/lock_keys_x11.h"
#include "platform/linux/x11/screen_surface_x11.h"
#include "platform/linux/x11/window_system_x11.h"
#include "platform/linux/x11/x11_display.h"
#include "support/form_lookup.h"
#include "support/recording_events.h"
#include "support/wait.h"
#include "support/temp_folder.h"

// After gtest: X's headers define None, True and False as macros.
#include <FL/x.H>

namespace lumio::x11::testing {

using lumio::testing::RecordingEvents;

// The program's folder is the test's own temporary one; the separator is
// the real backend's.
class TempProgramEnvironment final : public ProgramEnvironment {
 public:
  std::filesystem::path programDirectory() override { return folder_.path(); }
  std::string decimalSeparator() override { return real_.decimalSeparator(); }
  ListFileAccess& listFiles() override { return real_.listFiles(); }

 private:
  lumio::testing::TempFolder folder_{"lumio-x11"};
  os::LinuxProgramEnvironment real_;
};

// The window's one client area, which holds the form's children (and clips
// them); nullptr when the window is not made that way.
inline Fl_Group* ClientArea(const X11WindowSystem& ws) {
  Fl_Window* window = fl_find(static_cast<Window>(ws.nativeHandle()));
  if (window == nullptr || window->children() != 1) return nullptr;
  return window->child(0)->as_group();
}
// The FLTK widget showing the form's child at this place (twips).
inline Fl_Widget* ChildAt(const X11WindowSystem& ws, int left, int top) {
  const Fl_Group* area = ClientArea(ws);
  const int dpi = ScreenDpi(SharedDisplay());
  for (int i = 0; area != nullptr && i < area->children(); ++i)
    if (area->child(i)->x() == TwipsToPixels(left, dpi) && area->child(i)->y() == TwipsToPixels(top, dpi))
      return area->child(i);
  return nullptr;
}
inline Fl_Button* KeyButton(const X11WindowSystem& ws, int index) {
  const KeyDesc* key = FindKey(index);
  return key != nullptr ? dynamic_cast<Fl_Button*>(ChildAt(ws, key->left, key->top)) : nullptr;
}
inline Fl_Widget* ControlWidget(const X11WindowSystem& ws, Control control) {
  for (const ChildDesc& child : frmOSDLayout().children)
    if (child.control == control) return ChildAt(ws, child.left, child.top);
  return nullptr;
}

// The real screen surface, with a list of the texts painted through it.
class RecordingScreen final : public ScreenSurface {
 public:
  explicit RecordingScreen(ScreenSurface& real) : real_(real) {}
  void drawText(const FontRequest& font, std::int32_t x, std::int32_t y, Colour colour,
                std::string_view text) override {
    texts.emplace_back(text);
    real_.drawText(font, x, y, colour, text);
  }
  void repaintAll() override { real_.repaintAll(); }
  std::vector<std::string> texts;

 private:
  ScreenSurface& real_;
};

struct RealBackend {
  Display* display = SharedDisplay();
  X11WindowSystem window{display};
  std::unique_ptr<PressedKeys> keys = OpenPressedKeys(display);
  X11KeyboardDevice keyboard{*keys};
  X11LockKeySource lockKeys{display, *keys};
  X11ScreenSurface screen{display};
  X11DesktopIcons icons{display};
  X11InstanceGuard instance{display};
  TempProgramEnvironment environment;
  Platform platform{window, keyboard, lockKeys, screen, icons, instance, environment};
};

// The form loaded and polling the real keyboard, its introduction ended at
// once, with the texts it paints from then on recorded.
struct PollingForm {
  explicit PollingForm(RealBackend& backend)
      : screen(backend.screen),
        platform{backend.window, backend.keyboard, backend.lockKeys, screen,
                 backend.icons,  backend.instance, backend.environment},
        form(platform),
        events(&form) {
    backend.window.createWindow(frmOSDLayout(), events);
    WriteDefaultKeyList(backend.environment.listFiles(), backend.environment.programDirectory() / kKeyListName);
    form.Form_Load();
    form.tmrAbout_Timer();
    screen.texts.clear();
    backend.window.showWindow();
  }
  RecordingScreen screen;
  Platform platform;
  frmOSD form;
  RecordingEvents events;
};

// Runs FLTK's loop until the condition holds or the time is up.
inline void FltkTurn() { Fl::wait(0.01); }
inline bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  return lumio::testing::WaitUntil(condition, timeout, FltkTurn);
}

// Runs FLTK's loop for a while.
inline void PumpFor(std::chrono::milliseconds time) {
  PumpUntil([] { return false; }, time);
}

// Ends the program after a while whatever happens, closing any message box
// too, so that no test can hang in a loop.
class LoopDeadline {
 public:
  LoopDeadline(X11WindowSystem& window, double seconds) : window_(window) { Fl::add_timeout(seconds, Fire, this); }
  ~LoopDeadline() { Fl::remove_timeout(Fire, this); }
  LoopDeadline(const LoopDeadline&) = delete;
  LoopDeadline& operator=(const LoopDeadline&) = delete;
  bool fired() const { return fired_; }

 private:
  static void Fire(void* data) {
    auto* self = static_cast<LoopDeadline*>(data);
    self->fired_ = true;
    self->window_.endProgram();
  }
  X11WindowSystem& window_;
  bool fired_ = false;
};

class BackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(SharedDisplay(), nullptr) << "no X display: run the display tests through scripts/test.sh";
    backend = std::make_unique<RealBackend>();
  }
  void TearDown() override { backend.reset(); }

  // Creates the main window and shows it; its X window once viewable, else 0.
  ::Window ShowMainWindow(WindowEvents& events, Display* observer) {
    backend->window.createWindow(frmOSDLayout(), events);
    backend->window.showWindow();
    const auto xid = static_cast<::Window>(backend->window.nativeHandle());
    const bool viewable = PumpUntil(
        [&] {
          XWindowAttributes attributes{};
          return XGetWindowAttributes(observer, xid, &attributes) != 0 && attributes.map_state == IsViewable;
        },
        std::chrono::seconds(5));
    return viewable ? xid : 0;
  }

  std::unique_ptr<RealBackend> backend;
};

}  // namespace lumio::x11::testing
