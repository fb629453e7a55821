// Our texts on a desktop other programs live on: a terminal scrolling
// beneath, windows mapped over them, clicks aimed at them. Run on the bare
// server, and again under openbox with picom (scripts/on-desktop.sh sets
// LUMIO_DESKTOP), where a compositing manager paints the screen.
#include "backend_fixture.h"

#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <numeric>

#include "support/process.h"
#include "support/x_screen.h"

namespace lumio::x11::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using lumio::testing::ChildProcess;
using lumio::testing::ChildrenOf;
using lumio::testing::ViewableWindowsTitled;
using lumio::testing::IsOverlayGreen;
using lumio::testing::WaitUntil;
using lumio::testing::XScreen;

// Where the banner's lines (y 300-420) and the announcement (y 300-372) land.
constexpr int kAreaX = 0, kAreaY = 250, kAreaW = 1280, kAreaH = 200;

bool OnDesktop() {
  const char* desktop = std::getenv("LUMIO_DESKTOP");
  return desktop != nullptr && *desktop != '\0';
}

// A window of another program that a window manager manages where it was
// asked to be, and that hears clicks.
::Window MakeClientWindow(XScreen& xs, int x, int y, int w, int h, const char* title) {
  Display* dpy = xs.display();
  XSetWindowAttributes attributes{};
  attributes.background_pixel = 0x808080;
  attributes.event_mask = ButtonPressMask | StructureNotifyMask;
  const ::Window window = XCreateWindow(dpy, xs.root(), x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                                        CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask,
                                        &attributes);
  XSizeHints hints{};
  hints.flags = USPosition | USSize;
  hints.x = x;
  hints.y = y;
  hints.width = w;
  hints.height = h;
  XSetWMNormalHints(dpy, window, &hints);
  XStoreName(dpy, window, title);
  XMapWindow(dpy, window);
  xs.sync();
  WaitUntil([&] { return xs.isViewable(window); }, 5s);
  return window;
}

class DesktopTest : public BackendTest {
 protected:
  void SetUp() override {
    BackendTest::SetUp();
    if (HasFatalFailure()) return;
    Display* dpy = backend->display;
    const bool compositing =
        WaitUntil([&] { return CompositorRunning(dpy, DefaultScreen(dpy)); }, OnDesktop() ? 10s : 0s);
    // Both runs must really test what they claim to.
    ASSERT_EQ(compositing, OnDesktop()) << "LUMIO_DESKTOP and a compositing manager go together";
    form = std::make_unique<frmOSD>(backend->platform);
    events = std::make_unique<RecordingEvents>(form.get());
    backend->window.createWindow(frmOSDLayout(), *events);
    created = Clock::now();
    desktopsOwn = ChildrenOf(dpy, DefaultRootWindow(dpy));
  }
  void TearDown() override {
    form.reset();
    BackendTest::TearDown();
  }

  // Green pixels in each of the banner's five line bands.
  std::array<int, 5> BandCounts(const XScreen& xs) const {
    constexpr int kTops[] = {300, 340, 360, 380, 400}, kHeights[] = {32, 20, 20, 20, 20};
    const std::vector<int> rows = lumio::testing::GrabGreen(xs, kAreaX, kAreaY, kAreaW, kAreaH).rowCounts;
    std::array<int, 5> counts{};
    for (std::size_t band = 0; band < 5; ++band)
      counts[band] = std::accumulate(rows.begin() + (kTops[band] - kAreaY),
                                     rows.begin() + (kTops[band] + kHeights[band] - kAreaY), 0);
    return counts;
  }

  // The windows showing our texts: shown, unmanaged, and new on the desktop.
  std::vector<::Window> TextWindows() const {
    std::vector<::Window> texts;
    for (::Window window : ChildrenOf(backend->display, DefaultRootWindow(backend->display))) {
      XWindowAttributes attrs{};
      if (XGetWindowAttributes(backend->display, window, &attrs) != 0 && attrs.override_redirect &&
          attrs.map_state == IsViewable &&
          std::find(desktopsOwn.begin(), desktopsOwn.end(), window) == desktopsOwn.end())
        texts.push_back(window);
    }
    return texts;
  }

  std::unique_ptr<frmOSD> form;
  std::unique_ptr<RecordingEvents> events;
  Clock::time_point created;  // the introduction's seven seconds start here
  std::vector<::Window> desktopsOwn;
};

TEST_F(DesktopTest, TheBannerStaysWholeForItsSevenSecondsOverAScrollingTerminalAndLeavesNothing) {
  XScreen xs;
  ChildProcess::Options options;
  options.executable = "/usr/bin/xterm";
  options.arguments = {"-T", "lumio scrolling terminal", "-geometry", "120x30+150+240", "-e", "sh", "-c",
                       "i=0; while :; do i=$((i+1)); echo \"line $i of a busy terminal\"; sleep 0.02; done"};
  ChildProcess terminal(options);
  ASSERT_TRUE(WaitUntil([&] { return !ViewableWindowsTitled(xs, "lumio scrolling terminal").empty(); }, 15s));
  // It does scroll: its left columns, clear of the banner, change.
  const auto columns = [&] { return xs.grab(155, 300, 90, 120).pixels; };
  const auto before = columns();
  ASSERT_TRUE(WaitUntil([&] {
    const auto now = columns();
    return !std::equal(now.begin(), now.end(), before.begin(),
                       [](auto a, auto b) { return a.r == b.r && a.g == b.g && a.b == b.b; });
  }, 5s)) << "the terminal does not scroll";

  form->Form_Load();
  const auto painted = Clock::now();
  std::array<int, 5> whole{};
  const bool shown = PumpUntil(
      [&] {
        whole = BandCounts(xs);
        return std::all_of(whole.begin(), whole.end(), [](int count) { return count > 100; });
      },
      3s);
  ASSERT_TRUE(shown) << "a line of the banner is missing";
  // Until the introduction's end erases it, every line is whole on every look.
  int samples = 0;
  PumpUntil(
      [&] {
        if (events->ticksOf(TimerName::tmrAbout) > 0) return true;
        const std::array<int, 5> now = BandCounts(xs);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - painted).count();
        for (std::size_t band = 0; band < 5; ++band)
          EXPECT_GE(now[band], whole[band] * 95 / 100)
              << "line " << band + 1 << " damaged " << ms << " ms after painting";
        ++samples;
        PumpFor(200ms);
        return false;
      },
      12s);
  const auto shownFor = Clock::now() - created;
  ASSERT_EQ(events->ticksOf(TimerName::tmrAbout), 1);
  EXPECT_GE(samples, 20);
  EXPECT_GE(shownFor, 6500ms);
  std::cout << "[ figures  ] " << samples << " looks at the banner; introduction over after "
            << std::chrono::duration_cast<std::chrono::milliseconds>(shownFor).count() << " ms\n";

  const bool erased = WaitUntil([&] {
    Fl::check();
    return xs.countGreen(kAreaX, kAreaY, kAreaW, kAreaH) == 0;
  }, 3s);
  EXPECT_TRUE(erased) << xs.countGreen(kAreaX, kAreaY, kAreaW, kAreaH) << " green pixels left";
}

TEST_F(DesktopTest, TheAnnouncementStaysAboveTakesNoClickNorFocusAndIsErasedCompletely) {
  XScreen xs;
  Display* dpy = xs.display();
  const ::Window beneath = MakeClientWindow(xs, 150, 230, 900, 260, "lumio window beneath");
  XSelectInput(dpy, beneath, ButtonPressMask);
  xs.setFocus(beneath);

  form->cmdShow_Click();  // "Caps Lock is OFF", as the announcement is painted
  ASSERT_TRUE(WaitUntil([&] {
    Fl::check();
    return xs.countGreen(kAreaX, kAreaY, kAreaW, kAreaH) > 3000;
  }, 5s));
  const int whole = xs.countGreen(kAreaX, kAreaY, kAreaW, kAreaH);
  const std::vector<::Window> texts = TextWindows();
  ASSERT_EQ(texts.size(), 1u);

  // Unmanaged, deaf to the pointer, on top; with a compositing manager on a
  // visual with alpha, so that its edges blend.
  XWindowAttributes attributes{};
  ASSERT_NE(XGetWindowAttributes(dpy, texts[0], &attributes), 0);
  EXPECT_TRUE(attributes.override_redirect);
  EXPECT_EQ(attributes.depth == 32, OnDesktop());
  int rectangles = -1, ordering = 0;
  XRectangle* input = XShapeGetRectangles(dpy, texts[0], ShapeInput, &rectangles, &ordering);
  if (input != nullptr) XFree(input);
  EXPECT_EQ(rectangles, 0) << "the text would take clicks";
  EXPECT_EQ(ChildrenOf(dpy, DefaultRootWindow(dpy)).back(), texts[0]);

  // A click on a letter goes to the window beneath; the focus stays there.
  const lumio::testing::ScreenImage image = xs.grab(250, 300, 600, 72);
  int clickX = -1, clickY = -1;
  for (int y = 0; y < image.height && clickX < 0; ++y)
    for (int x = 0; x < image.width && clickX < 0; ++x)
      if (IsOverlayGreen(image.at(x, y)) && IsOverlayGreen(image.at(std::min(x + 2, image.width - 1), y))) {
        clickX = 250 + x + 1;
        clickY = 300 + y;
      }
  ASSERT_GE(clickX, 0);
  XEvent drained;
  while (XCheckTypedWindowEvent(dpy, beneath, ButtonPress, &drained)) {
  }
  XTestFakeMotionEvent(dpy, DefaultScreen(dpy), clickX, clickY, CurrentTime);
  XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
  XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
  xs.sync();
  XEvent press{};
  const bool heard = WaitUntil([&] {
    Fl::check();
    return XCheckTypedWindowEvent(dpy, beneath, ButtonPress, &press) != 0;
  }, 3s);
  EXPECT_TRUE(heard) << "the click at (" << clickX << ", " << clickY << ") did not reach the window beneath";
  ::Window focus = 0;
  int revert = 0;
  XGetInputFocus(dpy, &focus, &revert);
  EXPECT_NE(focus, texts[0]);

  // A window mapped afterwards over the text does not hide it.
  const ::Window later = MakeClientWindow(xs, 200, 280, 800, 150, "lumio window mapped later");
  PumpFor(300ms);
  EXPECT_GE(xs.countGreen(kAreaX, kAreaY, kAreaW, kAreaH), whole * 95 / 100) << "covered by a later window";
  EXPECT_EQ(ChildrenOf(dpy, DefaultRootWindow(dpy)).back(), texts[0]);
  xs.destroyWindow(later);

  form->cmdRemove_Click();
  const bool erased = WaitUntil([&] {
    Fl::check();
    return xs.countGreen(kAreaX, kAreaY, kAreaW, kAreaH) == 0;
  }, 3s);
  EXPECT_TRUE(erased) << xs.countGreen(kAreaX, kAreaY, kAreaW, kAreaH) << " green pixels left";
  EXPECT_TRUE(TextWindows().empty());
  EXPECT_EQ(XGetWindowAttributes(dpy, texts[0], &attributes), 0) << "the text's window outlived the erase";
  xs.destroyWindow(beneath);
}

TEST_F(DesktopTest, ATextOnlyPartlyOnTheScreenGetsAWindowOneWithNothingToShowDoesNot) {
  FontRequest font;
  font.weight = 700;
  font.height = 72;
  struct Case {
    std::int32_t x, y;
    const char* text;
    std::size_t windows;
  };
  for (const Case& c : {Case{1200, 1000, "Caps Lock is ON", 1}, Case{-300, -40, "Caps Lock is ON", 1},
                        Case{-100000, 300, "Caps Lock is ON", 0}, Case{INT32_MAX, INT32_MAX, "Caps Lock is ON", 0},
                        Case{INT32_MIN, INT32_MIN, "Caps Lock is ON", 0}, Case{250, 300, "", 0},
                        Case{250, 300, "   ", 0}}) {
    backend->screen.drawText(font, c.x, c.y, 65280, c.text);
    XSync(backend->display, False);
    EXPECT_EQ(TextWindows().size(), c.windows) << c.x << ", " << c.y << " \"" << c.text << "\"";
    backend->screen.repaintAll();
  }
}

// Every kind of resource the server keeps for one client: the sum, and
// each kind by name.
std::pair<long, std::string> ResourcesOf(Display* dpy, XID anyOfItsResources) {
  int kinds = 0;
  XResType* types = nullptr;
  if (XResQueryClientResources(dpy, anyOfItsResources, &kinds, &types) == 0) return {-1, {}};
  long total = 0;
  std::string each;
  for (int i = 0; i < kinds; ++i) {
    total += types[i].count;
    char* name = XGetAtomName(dpy, types[i].resource_type);
    each += std::string(name != nullptr ? name : "?") + " " + std::to_string(types[i].count) + "; ";
    if (name != nullptr) XFree(name);
  }
  XFree(types);
  return {total, each};
}

TEST_F(DesktopTest, TwoHundredAnnouncementsLeaveTheServersResourceCountFlat) {
  Display* dpy = backend->display;
  int event = 0, error = 0;
  ASSERT_TRUE(XResQueryExtension(dpy, &event, &error)) << "no X-Resource extension";
  const Pixmap ours = XCreatePixmap(dpy, DefaultRootWindow(dpy), 1, 1, 1);  // names our client
  FontRequest font;
  font.weight = 700;
  font.height = 72;
  const auto cycle = [&] {
    backend->screen.drawText(font, 250, 300, 65280, "Caps Lock is ON");
    Fl::check();
    backend->screen.repaintAll();
    Fl::check();
    XSync(dpy, False);
  };
  // A compositing manager selects events on each new window of ours (the
  // server books them to us) a moment after it sees the window: let it.
  cycle();
  PumpFor(500ms);
  const auto afterFirst = ResourcesOf(dpy, ours);
  for (int i = 1; i < 200; ++i) cycle();
  PumpFor(500ms);
  const auto afterAll = ResourcesOf(dpy, ours);
  std::cout << "[ figures  ] X resources of our client: " << afterFirst.first << " after 1 announcement, "
            << afterAll.first << " after 200\n";
  EXPECT_GT(afterFirst.first, 0);
  EXPECT_EQ(afterAll.first, afterFirst.first)
      << "after one: " << afterFirst.second << "\nafter 200: " << afterAll.second;
  XFreePixmap(dpy, ours);
}

}  // namespace
}  // namespace lumio::x11::testing
