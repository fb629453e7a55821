// What a message box shows the user: its one button, labelled OK, and the
// icon the message asks for.
#include "backend_fixture.h"

#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>

#include <vector>

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

}  // namespace
}  // namespace lumio::x11::testing
