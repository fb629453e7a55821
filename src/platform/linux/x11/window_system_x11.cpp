// FL_INTERNALS opens FLTK's Fl_X, needed to create the X window ourselves:
// its window manager hints must be in place before it is first mapped.
#define FL_INTERNALS 1

#include "platform/linux/x11/window_system_x11.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <exception>
#include <string>
#include <utility>

#include "platform/linux/x11/colours.h"
#include "platform/linux/x11/frame_extents.h"
#include "platform/linux/x11/monitors_x11.h"
#include "platform/linux/x11/text_rules.h"
#include "platform/linux/x11/window_icon_pixels.h"
#include "platform/linux/x11/x11_display.h"

namespace lumio::x11 {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The Motif hints: move and close only (no minimise, maximise or resize),
// border, title and window menu.
constexpr long kMwmHintsFunctions = 1L << 0;
constexpr long kMwmHintsDecorations = 1L << 1;
constexpr long kMwmFuncMove = 1L << 2;
constexpr long kMwmFuncClose = 1L << 5;
constexpr long kMwmDecorBorder = 1L << 1;
constexpr long kMwmDecorTitle = 1L << 3;
constexpr long kMwmDecorMenu = 1L << 4;

// What FLTK selects on its own top-level windows.
constexpr long kEventMask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask | KeymapStateMask |
                            FocusChangeMask | ButtonPressMask | ButtonReleaseMask | EnterWindowMask |
                            LeaveWindowMask | PropertyChangeMask | PointerMotionMask;

Fl_Color ToFlColour(Colour colour) {
  const Rgb rgb = ResolveColour(colour);
  return fl_rgb_color(static_cast<uchar>(rgb.r), static_cast<uchar>(rgb.g), static_cast<uchar>(rgb.b));
}

Fl_Font ToFlFont(std::string_view faceName) {
  return FamilyOfFace(faceName) == FontFamily::Serif ? FL_TIMES : FL_HELVETICA;
}

// A signal handler may only do async-signal-safe things, so it writes one
// byte to a pipe that the event loop watches. Signal dispositions belong to
// the process, and so does this pipe: made once, kept until the process
// ends, its write end in a class static the handler can read safely.
class SignalPipe {
 public:
  static int readEnd() {
    static const int fd = Create();
    return fd;
  }

  static void Handler(int /*signal*/) {
    const int savedErrno = errno;
    const int fd = writeEnd_;
    if (fd >= 0) {
      const char byte = 1;
      [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);  // full pipe: a wake-up is pending anyway
    }
    errno = savedErrno;
  }

  static void drain() {
    char buffer[64];
    while (read(readEnd(), buffer, sizeof buffer) > 0) {
    }
  }

 private:
  static int Create() {
    int fds[2] = {-1, -1};
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return -1;
    writeEnd_ = fds[1];
    return fds[0];
  }

  static inline volatile std::sig_atomic_t writeEnd_ = -1;
};

}  // namespace

// The FLTK window. FLTK would map its X window the moment it creates it;
// we create it unmapped with all hints set, so that no window manager ever
// sees it without them, and map it when the form is shown.
class MainWindow final : public Fl_Window {
 public:
  MainWindow(int x, int y, int w, int h) : Fl_Window(x, y, w, h) {}

  void createUnmapped() {
    Fl_Group::current(nullptr);
    labeltype(FL_NO_LABEL);
    Display* display = fl_display;
    XSetWindowAttributes attributes{};
    attributes.event_mask = kEventMask;
    attributes.colormap = fl_colormap;
    attributes.border_pixel = 0;
    attributes.bit_gravity = ForgetGravity;
    attributes.background_pixel = fl_xpixel(color());
    const unsigned long mask = CWBorderPixel | CWColormap | CWEventMask | CWBitGravity | CWBackPixel;
    const Window xid = XCreateWindow(display, RootWindow(display, fl_screen), x(), y(), static_cast<unsigned>(w()),
                                     static_cast<unsigned>(h()), 0, fl_visual->depth, InputOutput, fl_visual->visual,
                                     mask, &attributes);
    Fl_X::set_xid(this, xid);
    label(label(), iconlabel());  // the title properties, now that there is a window to hold them

    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, xid, &deleteWindow, 1);

    setNormalHints();

    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    const long motifHints[5] = {kMwmHintsFunctions | kMwmHintsDecorations, kMwmFuncMove | kMwmFuncClose,
                                kMwmDecorBorder | kMwmDecorTitle | kMwmDecorMenu, 0, 0};
    XChangeProperty(display, xid, motif, motif, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(motifHints),
                    5);

    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom skipTaskbar = XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False);
    XChangeProperty(display, xid, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&skipTaskbar), 1);

    char name[] = "lumio-capslock";
    char className[] = "Lumio-capslock";
    XClassHint classHint{name, className};
    XSetClassHint(display, xid, &classHint);

    XWMHints* wmHints = XAllocWMHints();
    wmHints->flags = InputHint | StateHint;
    wmHints->input = True;
    wmHints->initial_state = NormalState;
    XSetWMHints(display, xid, wmHints);
    XFree(wmHints);

    // Our icon, for window managers, task bars and alt-tab. Xlib passes
    // 32-bit property items as longs.
    const std::vector<unsigned long> icon(std::begin(kWindowIconPixels), std::end(kWindowIconPixels));
    XChangeProperty(display, xid, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(icon.data()), static_cast<int>(icon.size()));
    XFlush(display);
  }

  // Our place and fixed size. Static gravity: the place is the window's
  // own, not its frame's, so a window manager that starts or takes over
  // later frames the window where it already is.
  void setNormalHints() {
    XSizeHints* size = XAllocSizeHints();
    size->flags = PPosition | USPosition | PMinSize | PMaxSize | PWinGravity;
    size->x = x();
    size->y = y();
    size->min_width = size->max_width = w();
    size->min_height = size->max_height = h();
    size->win_gravity = StaticGravity;
    XSetWMNormalHints(fl_display, fl_xid(this), size);
    XFree(size);
  }

  void present() {
    if (!shown()) return;
    XMapWindow(fl_display, fl_xid(this));
    set_visible();
    const int previous = Fl::e_number;
    handle(Fl::e_number = FL_SHOW);
    Fl::e_number = previous;
    redraw();
    XFlush(fl_display);
  }
};

X11WindowSystem::X11WindowSystem(Display* display) : display_(display) {}

X11WindowSystem::~X11WindowSystem() {
  stopTimers();
  removeSignals();
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
  stopTimers();
  window_.reset();
  keys_.fill(nullptr);
  controls_.fill(nullptr);
  bindings_.clear();
  pictures_.clear();
  pictureData_.clear();
  events_ = &events;
  ending_ = false;
  dpi_ = ScreenDpi(display_);

  const int width = std::max(1, TwipsToPixels(form.clientWidth, dpi_));
  const int height = std::max(1, TwipsToPixels(form.clientHeight, dpi_));
  const ScreenArea screen = PrimaryMonitor(display_);
  const Position unframed = CentredClientPosition(screen, width, height, {});

  window_ = std::make_unique<MainWindow>(unframed.x, unframed.y, width, height);
  window_->copy_label(std::string(form.caption).c_str());
  window_->color(ToFlColour(kButtonFace));
  window_->callback(OnClose, this);
  // The children live in an area of exactly the client size, which X clips
  // them to: a window manager that makes the window larger (a tiling one,
  // or one with a minimum size) shows more of the window's colour, never
  // the controls below the visible area.
  auto* clientArea = new Fl_Window(0, 0, width, height);
  clientArea->color(window_->color());
  addChildren(form);
  clientArea->end();
  clientArea->resizable(nullptr);
  window_->end();
  window_->resizable(nullptr);
  window_->size_range(width, height, width, height);
  window_->createUnmapped();
  // Centred with the frame the user sees around it, once the window
  // manager has said how thick that is.
  const FrameExtents frame = RequestFrameExtents(display_, fl_xid(window_.get()), std::chrono::milliseconds(500));
  const Position framed = CentredClientPosition(screen, width, height, frame);
  if (framed.x != unframed.x || framed.y != unframed.y) {
    window_->position(framed.x, framed.y);
    window_->setNormalHints();
  }

  timerCount_ = 0;
  for (const TimerDesc& desc : form.timers) {
    if (timerCount_ == timers_.size()) break;
    TimerSlot& slot = timers_[timerCount_++];
    slot = TimerSlot{this, desc.timer, desc.intervalMs / 1000.0, false};
    if (desc.enabled) setTimerEnabled(desc.timer, true);
  }

  installSignals();
}

void X11WindowSystem::addChildren(const FormDescription& form) {
  // FLTK moves the focus in the order the children were added: add them in
  // the form's tab order.
  const auto px = [this](int twips) { return TwipsToPixels(twips, dpi_); };
  const int formFontSize = std::max(1, PixelsFromPoints(form.font.points, dpi_));
  const Fl_Font formFont = ToFlFont(form.font.name);

  for (const TabStop& entry : form.tabOrder) {
    if (entry.child != nullptr) {
      const ChildDesc& child = *entry.child;
      const auto slot = static_cast<std::size_t>(child.control);
      if (child.isTextBox) {
        auto* input = new Fl_Input(px(child.left), px(child.top), px(child.width), px(child.height));
        input->value(std::string(child.caption).c_str());
        input->textfont(formFont);
        input->textsize(formFontSize);
        input->when(FL_WHEN_NEVER);
        if (slot < controls_.size()) controls_[slot] = input;
      } else {
        auto* button = new Fl_Button(px(child.left), px(child.top), px(child.width), px(child.height));
        button->copy_label(std::string(child.caption).c_str());
        button->labelfont(formFont);
        button->labelsize(formFontSize);
        bindings_.push_back(std::make_unique<Binding>(Binding{this, false, 0, child.control}));
        button->callback(OnClick, bindings_.back().get());
        if (slot < controls_.size()) controls_[slot] = button;
      }
      continue;
    }

    const KeyDesc& key = *entry.key;
    if (key.index < 0 || key.index > 255) continue;
    const auto index = static_cast<std::size_t>(key.index);
    auto* button = new Fl_Button(px(key.left), px(key.top), px(key.width), px(key.height));
    button->labelfont(ToFlFont(key.font.name));
    button->labelsize(std::max(1, PixelsFromPoints(key.font.points, dpi_)));
    const KeyBitmap& picture = form.pictureOf(key);
    if (picture.width > 0 && picture.height > 0) {
      std::vector<unsigned char> rgb;
      rgb.reserve(picture.pixels.size() * 3);
      for (Colour c : picture.pixels) {
        rgb.push_back(static_cast<unsigned char>(RedOf(c)));
        rgb.push_back(static_cast<unsigned char>(GreenOf(c)));
        rgb.push_back(static_cast<unsigned char>(BlueOf(c)));
      }
      pictureData_.push_back(std::move(rgb));
      pictures_.push_back(std::make_unique<Fl_RGB_Image>(pictureData_.back().data(), picture.width, picture.height, 3));
      button->image(pictures_.back().get());
    } else {
      button->copy_label(std::string(key.caption).c_str());
    }
    if (key.graphical) {
      // The back colour covers the whole face, pressed or not.
      const Fl_Color colour = ToFlColour(key.backColor);
      button->box(FL_UP_BOX);
      button->down_box(FL_DOWN_BOX);
      button->color(colour);
      button->selection_color(colour);
    }
    keys_[index] = button;
    keyGraphical_[index] = key.graphical;
    bindings_.push_back(std::make_unique<Binding>(Binding{this, true, key.index, Control::Text1}));
    button->callback(OnClick, bindings_.back().get());
  }
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
  stopTimers();
  closeModalWindows();
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
  if (index < 0 || index > 255) return;
  const auto i = static_cast<std::size_t>(index);
  Fl_Button* button = keys_[i];
  // A standard button does not show its back colour, whatever it is set to.
  if (button == nullptr || !keyGraphical_[i]) return;
  const Fl_Color flColour = ToFlColour(colour);
  button->color(flColour);
  button->selection_color(flColour);
  button->redraw();
}

std::string X11WindowSystem::text1() const {
  const auto* input = dynamic_cast<const Fl_Input*>(controls_[static_cast<std::size_t>(Control::Text1)]);
  return input != nullptr && input->value() != nullptr ? std::string(input->value()) : std::string();
}

X11WindowSystem::TimerSlot* X11WindowSystem::slotFor(TimerName timer) {
  for (std::size_t i = 0; i < timerCount_; ++i)
    if (timers_[i].name == timer) return &timers_[i];
  return nullptr;
}

const X11WindowSystem::TimerSlot* X11WindowSystem::slotFor(TimerName timer) const {
  for (std::size_t i = 0; i < timerCount_; ++i)
    if (timers_[i].name == timer) return &timers_[i];
  return nullptr;
}

void X11WindowSystem::setTimerEnabled(TimerName timer, bool enabled) {
  TimerSlot* slot = slotFor(timer);
  if (slot == nullptr) return;
  // Removing first makes enabling a running timer begin a new interval.
  Fl::remove_timeout(OnTimer, slot);
  slot->running = false;
  slot->resting = false;
  if (enabled && !ending_ && slot->seconds > 0) {
    Fl::add_timeout(slot->seconds, OnTimer, slot);
    slot->running = true;
  }
}

void X11WindowSystem::setTimerResting(TimerName timer, bool resting) {
  TimerSlot* slot = slotFor(timer);
  if (slot == nullptr || !slot->running || slot->resting == resting || ending_) return;
  slot->resting = resting;
  Fl::remove_timeout(OnTimer, slot);
  // Woken: a tick at once, and OnTimer's re-arming goes on from there.
  if (!resting) Fl::add_timeout(0.0, OnTimer, slot);
}

void X11WindowSystem::stopTimers() {
  for (std::size_t i = 0; i < timerCount_; ++i) {
    Fl::remove_timeout(OnTimer, &timers_[i]);
    timers_[i].running = false;
    timers_[i].resting = false;
  }
}

void X11WindowSystem::messageBox(std::string_view text, MessageIcon icon, std::string_view caption) {
  if (ending_) return;
  const std::string title(caption);
  const std::string body(text);
  fl_message_title(title.c_str());
  // FLTK labels the one button "Close"; a message box's button says OK.
  fl_close = "OK";
  // The information icon is FLTK's blue "i" on white; the stop icon a
  // white mark on a red disc.
  Fl_Widget* iconBox = fl_message_icon();
  const bool stop = icon == MessageIcon::Stop;
  iconBox->box(stop ? FL_OVAL_BOX : FL_THIN_UP_BOX);
  iconBox->color(stop ? FL_RED : FL_WHITE);
  iconBox->labelcolor(stop ? FL_WHITE : FL_BLUE);
  // FLTK's own loop runs while the box is open: timeouts keep firing.
  if (stop)
    fl_alert("%s", body.c_str());
  else
    fl_message("%s", body.c_str());
}

void X11WindowSystem::doEvents() { Fl::check(); }

void X11WindowSystem::closeModalWindows() {
  // A message box open in a nested loop returns once its window is gone.
  for (int guard = 0; guard < 16 && Fl::modal() != nullptr; ++guard) Fl::modal()->hide();
}

void X11WindowSystem::OnClick(Fl_Widget* /*widget*/, void* data) {
  const auto* binding = static_cast<const Binding*>(data);
  X11WindowSystem& self = *binding->owner;
  if (binding->isKey)
    self.deliver([&] { self.events_->keyClicked(binding->index); });
  else
    self.deliver([&] { self.events_->controlClicked(binding->control); });
}

void X11WindowSystem::OnClose(Fl_Widget* /*widget*/, void* data) {
  // FLTK calls the window's callback for Escape too; a form does not close
  // on Escape.
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  static_cast<X11WindowSystem*>(data)->endFromOutside();
}

void X11WindowSystem::OnTimer(void* data) {
  auto* slot = static_cast<TimerSlot*>(data);
  X11WindowSystem& self = *slot->owner;
  if (self.ending_) {
    slot->running = false;
    return;
  }
  // Re-armed before the tick is delivered: the handler may stop or restart
  // it, and it keeps ticking while the handler runs a nested loop.
  Fl::repeat_timeout(slot->seconds, OnTimer, data);
  self.deliver([&] { self.events_->timerTicked(slot->name); });
}

void X11WindowSystem::OnSignal(int /*fd*/, void* data) {
  SignalPipe::drain();
  static_cast<X11WindowSystem*>(data)->endFromOutside();
}

void X11WindowSystem::installSignals() {
  if (signalsInstalled_) return;
  const int fd = SignalPipe::readEnd();
  if (fd < 0) return;
  SignalPipe::drain();  // a signal meant for an earlier window is not ours
  struct sigaction action {};
  action.sa_handler = SignalPipe::Handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &previousActions_[i]);
  Fl::add_fd(fd, OnSignal, this);
  signalsInstalled_ = true;
}

void X11WindowSystem::removeSignals() {
  if (!signalsInstalled_) return;
  Fl::remove_fd(SignalPipe::readEnd());
  for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previousActions_[i], nullptr);
  signalsInstalled_ = false;
}

}  // namespace lumio::x11
