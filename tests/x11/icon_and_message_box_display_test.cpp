// What a desktop shows of us besides the texts: the window's icon, and a
// message box's one button, labelled OK, with the icon the message asks for.
#include "backend_fixture.h"

#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <X11/Xatom.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/linux/x11/window_icon_pixels.h"

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
  for (int i = 0; i < box->children(); ++i)
    if (auto* button = dynamic_cast<Fl_Button*>(box->child(i)); button != nullptr && button->visible())
      seen.buttons.push_back(button->label() != nullptr ? button->label() : "");
  seen.icon = fl_message_icon()->label() != nullptr ? fl_message_icon()->label() : "";
  seen.iconColour = fl_message_icon()->color();
  box->hide();  // the user's click on OK, as far as the box can tell
}

TEST_F(BackendTest, MessageBoxesHaveOneOkButtonAndTheirIcon) {
  CountingEvents events;
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
  CountingEvents events;
  backend->window.createWindow(frmOSDLayout(), events);
  Display* dpy = backend->display;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(dpy, backend->window.nativeHandle(), XInternAtom(dpy, "_NET_WM_ICON", False), 0, 1 << 16,
                               False, XA_CARDINAL, &type, &format, &count, &after, &data),
            Success);
  ASSERT_NE(data, nullptr) << "no _NET_WM_ICON";
  // Xlib hands 32-bit items over as longs, sign-extended.
  std::vector<unsigned long> icon;
  for (unsigned long i = 0; i < count; ++i) icon.push_back(reinterpret_cast<unsigned long*>(data)[i] & 0xFFFFFFFFul);
  XFree(data);
  EXPECT_EQ(format, 32);
  ASSERT_EQ(icon.size(), 2 + 32 * 32 + 2 + 16 * 16u);
  EXPECT_TRUE(std::equal(icon.begin(), icon.end(), std::begin(kWindowIconPixels)));
  // The 32x32 image is drawn: see-through corners, the lit green lock light.
  EXPECT_EQ(icon[0], 32u);
  EXPECT_EQ(icon[2], 0u);
  EXPECT_NE(std::find(icon.begin() + 2, icon.begin() + 2 + 32 * 32, 0xFF00FF00ul), icon.begin() + 2 + 32 * 32);
}

}  // namespace
}  // namespace lumio::x11::testing
