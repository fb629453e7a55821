#include "platform/linux/x11/window_system_x11.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <algorithm>
#include <exception>
#include <string>
#include <utility>

#include "platform/linux/x11/form_children_x11.h"
#include "platform/linux/x11/main_window_x11.h"
#include "platform/linux/x11/message_box_x11.h"
#include "platform/linux/x11/x11_display.h"

namespace lumio::x11 {

X11WindowSystem::X11WindowSystem(Display* display) : display_(display) {}

X11WindowSystem::~X11WindowSystem() {
  timers_.stopAll();
  signals_.remove();
  window_.reset();
}

template <class Delivery>
void X11WindowSystem::deliver(Delivery&& delivery) {
  if (ending_ || events_ == nullptr) return;
  try {
    delivery();
  } catch (...) {
    // Nothing may unwind through FLTK's C-style callbacks: the loop ends
    // and runEventLoop hands it on.
    if (!escaped_) escaped_ = std::current_exception();
    endProgram();
  }
}

void X11WindowSystem::createWindow(const FormDescription& form, WindowEvents& events) {
  timers_.stopAll();
  window_.reset();
  events_ = &events;
  ending_ = false;
  const int dpi = ScreenDpi(display_);
  window_ = std::make_unique<MainWindow>(display_, std::max(1, TwipsToPixels(form.clientWidth, dpi)),
                                         std::max(1, TwipsToPixels(form.clientHeight, dpi)), form.caption,
                                         ToFlColour(kButtonFace));
  window_->callback(
      [](Fl_Widget*, void* data) {
        // FLTK calls the window's callback for Escape too; a form does not
        // close on Escape.
        if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
        static_cast<X11WindowSystem*>(data)->endFromOutside();
      },
      this);
  children_ = std::make_unique<FormChildren>(form, dpi, [this](const Click& click) {
    if (click.isKey)
      deliver([&] { events_->keyClicked(click.index); });
    else
      deliver([&] { events_->controlClicked(click.control); });
  });
  window_->open();
  timers_.reset(form.timers, [this](TimerName timer) { deliver([&] { events_->timerTicked(timer); }); });
  signals_.install([this] { endFromOutside(); });
}

void X11WindowSystem::showWindow() {
  if (window_ && !ending_) window_->present();
}

void X11WindowSystem::runEventLoop() {
  while (!ending_ && window_ && window_->shown()) Fl::wait();
  if (escaped_) std::rethrow_exception(std::exchange(escaped_, nullptr));
}

void X11WindowSystem::endProgram() {
  ending_ = true;
  timers_.stopAll();
  CloseMessageBoxes();
  if (window_) window_->hide();
  XFlush(display_);  // the window goes now, not at the next request
  // With every timer gone and the window hidden, nothing else would ever
  // wake the loop's Fl::wait() to see ending_: a zero timeout does.
  Fl::add_timeout(0.0, [](void*) {}, nullptr);
}

void X11WindowSystem::endFromOutside() {
  if (ending_) return;
  deliver([this] { events_->programEnding(); });
  endProgram();
}

NativeHandle X11WindowSystem::nativeHandle() const {
  return window_ ? static_cast<NativeHandle>(fl_xid(window_.get())) : 0;
}

void X11WindowSystem::setKeyBackColor(int index, Colour colour) {
  if (children_) children_->setKeyBackColor(index, colour);
}

std::string X11WindowSystem::text1() const { return children_ ? children_->text1() : std::string(); }

void X11WindowSystem::setTimerEnabled(TimerName timer, bool enabled) { timers_.setEnabled(timer, enabled && !ending_); }

void X11WindowSystem::setTimerResting(TimerName timer, bool resting) {
  if (!ending_) timers_.setResting(timer, resting);
}

void X11WindowSystem::messageBox(std::string_view text, MessageIcon icon, std::string_view caption) {
  if (!ending_) ShowMessageBox(text, icon, caption);
}

void X11WindowSystem::doEvents() { Fl::check(); }

}  // namespace lumio::x11
