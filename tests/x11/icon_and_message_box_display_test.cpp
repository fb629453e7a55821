// What a desktop shows of us besides the texts: the window's icon, and a
// message box's one button, labelled OK, with the icon the message asks for.
#include "backend_fixture.h"

#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/linux/x11/window_icon_pixels.h"
#include "support/x_screen.h"

namespace lumio::x11::testing {
namespace {

struct Seen {
  std::vector<std::string> buttons;  // labels of the buttons shown
  std::string icon;
  Fl_Color iconColour = 0;
};

void LookAndClose(void* data) {
  auto& seen = *static_cast<Seen*>(data);
  Fl_Window* box = Fl::modal();
  if (box == nullptr) {
    Fl::repeat_timeout(0.05, LookAndClose, data);
    return;
  }
  for (int i = 0; i < box->children(); ++i) {
    const Fl_Widget& child = *box->child(i);
    const std::string label = child.label() != nullptr ? child.label() : "";
    if (dynamic_cast<const Fl_Button*>(&child) != nullptr && child.visible()) {
      seen.buttons.push_back(label);
    } else if (label.size() == 1) {  // the icon's mark; the text is longer
      seen.icon = label;
      seen.iconColour = child.color();
    }
  }
  box->hide();  // the user's click on OK, as far as the box can tell
}

TEST_F(BackendTest, MessageBoxesHaveOneOkButtonAndTheirIcon) {
  RecordingEvents events;
  backend->window.createWindow(frmOSDLayout(), events);
  struct Case {
    MessageIcon icon;
    const char* mark;
    Fl_Color colour;
  };
  for (const Case& c : {Case{MessageIcon::Information, "i", FL_WHITE}, Case{MessageIcon::Stop, "!", FL_RED}}) {
    Seen seen;
    Fl::add_timeout(0.2, LookAndClose, &seen);
    LoopDeadline deadline(backend->window, 10.0);
    backend->window.messageBox("Lumio Load - Error: 57 Device I/O error", c.icon, "Lumio - Caps Lock");
    Fl::remove_timeout(LookAndClose, &seen);
    ASSERT_FALSE(deadline.fired());
    EXPECT_EQ(seen.buttons, std::vector<std::string>{"OK"}) << c.mark;
    EXPECT_EQ(seen.icon, c.mark);
    EXPECT_EQ(seen.iconColour, c.colour) << c.mark;
  }
}

TEST_F(BackendTest, TheWindowCarriesOurIconBeforeItIsShown) {
  RecordingEvents events;
  backend->window.createWindow(frmOSDLayout(), events);
  const std::vector<unsigned long> icon = lumio::testing::PropertyOf(
      backend->display, static_cast<Window>(backend->window.nativeHandle()), "_NET_WM_ICON", 1 << 16);
  ASSERT_EQ(icon.size(), 2 + 32 * 32 + 2 + 16 * 16u);
  EXPECT_TRUE(std::equal(icon.begin(), icon.end(), std::begin(kWindowIconPixels)));
  // The 32x32 image is drawn: see-through corners, the lit green lock light.
  EXPECT_EQ(icon[0], 32u);
  EXPECT_EQ(icon[2], 0u);
  EXPECT_NE(std::find(icon.begin() + 2, icon.begin() + 2 + 32 * 32, 0xFF00FF00ul), icon.begin() + 2 + 32 * 32);
}

}  // namespace
}  // namespace lumio::x11::testing
