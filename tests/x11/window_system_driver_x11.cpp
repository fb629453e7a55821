// The shared window-system contract's driver for FLTK on X: the window's
// widgets are read from FLTK's widget tree, found from the X window, and
// clicked the way FLTK hands a click on.
#include <FL/Fl.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>

#include <memory>
#include <optional>

#include "backend_fixture.h"
#include "contract/window_system_driver.h"
#include "platform/linux/x11/colours.h"
#include "support/x_screen.h"

namespace lumio::testing {
namespace {

using x11::testing::ControlWidget;
using x11::testing::KeyButton;

ShownColour FromFl(Fl_Color colour) {
  unsigned char r = 0, g = 0, b = 0;
  Fl::get_color(colour, r, g, b);
  return {r, g, b};
}

class X11Driver final : public WindowSystemDriver {
 public:
  explicit X11Driver(Display* display) : display_(display), ws_(display) {}

  WindowSystem& windowSystem() override { return ws_; }
  void turn() override { Fl::wait(0.01); }
  int dpi() override { return x11::ScreenDpi(display_); }
  int clientHeight() override { return top() != nullptr ? top()->h() : 0; }

  std::vector<ChildSeen> children() override {
    std::vector<ChildSeen> seen;
    const Fl_Group* area = x11::testing::ClientArea(ws_);
    if (area == nullptr) {
      ADD_FAILURE() << "the window does not hold its children in one client area";
      return seen;
    }
    EXPECT_EQ((std::vector<int>{area->x(), area->y(), area->w(), area->h()}),
              (std::vector<int>{0, 0, top()->w(), top()->h()}));
    for (int i = 0; i < area->children(); ++i) {
      const Fl_Widget& child = *area->child(i);
      const auto* input = dynamic_cast<const Fl_Input*>(&child);
      const char* caption = input != nullptr ? input->value() : child.label();
      seen.push_back({caption != nullptr ? caption : "", child.x(), child.y(), child.w(), child.h()});
    }
    return seen;
  }

  void typeIntoText1(const std::string& text) override {
    if (auto* input = dynamic_cast<Fl_Input*>(ControlWidget(ws_, Control::Text1))) input->value(text.c_str());
  }
  void showKeyFaces() override {}  // FLTK paints a face in the colour its widget holds
  ShownColour keyFace(int index) override {
    const Fl_Button* button = KeyButton(ws_, index);
    return button != nullptr ? FromFl(button->color()) : ShownColour{};
  }
  ShownColour shownAs(Colour colour) override {
    const x11::Rgb rgb = x11::ResolveColour(colour);
    return {rgb.r, rgb.g, rgb.b};
  }
  void clickKey(int index) override {
    if (Fl_Button* button = KeyButton(ws_, index)) button->do_callback();
  }
  void clickControl(Control control) override {
    if (Fl_Widget* widget = ControlWidget(ws_, control)) widget->do_callback();
  }
  void clickCloseBox() override {
    if (!screen_) screen_.emplace();
    SendDeleteWindow(*screen_, static_cast<::Window>(ws_.nativeHandle()));
  }
  bool messageBoxOpen(const std::string& caption) override {
    return Fl::modal() != nullptr && Fl::modal()->label() != nullptr && caption == Fl::modal()->label();
  }
  void clickOk(const std::string& caption) override {
    if (messageBoxOpen(caption)) Fl::modal()->hide();  // the user's click, as far as the box can tell
  }
  bool windowShown() override { return top() != nullptr && top()->visible(); }

  std::unique_ptr<SafetyNet> safetyNet(std::chrono::seconds after) override {
    return std::make_unique<Net>(ws_, static_cast<double>(after.count()));
  }

 private:
  struct Net final : SafetyNet, x11::testing::LoopDeadline {
    using LoopDeadline::LoopDeadline;
    bool caught() const override { return fired(); }
  };

  Fl_Window* top() { return fl_find(static_cast<::Window>(ws_.nativeHandle())); }

  Display* display_;
  x11::X11WindowSystem ws_;
  std::optional<XScreen> screen_;
};

}  // namespace

std::unique_ptr<WindowSystemDriver> MakeWindowSystemDriver(RecordingEvents& /*events*/) {
  Display* display = x11::SharedDisplay();
  if (display == nullptr) throw std::runtime_error("no X display: run the display tests through scripts/test.sh");
  return std::make_unique<X11Driver>(display);
}

}  // namespace lumio::testing
