// Text on the screen over other programs' windows, its removal, the font's
// cell height and the desktop icons, against a real X server.
#include "backend_fixture.h"

#include <X11/Xatom.h>

#include "support/x_screen.h"

namespace lumio::x11::testing {
namespace {

using namespace std::chrono_literals;
using lumio::testing::IsOverlayGreen;
using lumio::testing::Rgb;
using lumio::testing::ScreenImage;
using lumio::testing::WaitUntil;
using lumio::testing::XScreen;

// A window of another program that keeps no background: the server leaves
// its pixels alone and it repaints them itself on every Expose.
class SelfPaintingWindow {
 public:
  SelfPaintingWindow(XScreen& xs, int x, int y, int w, int h, unsigned long rgb) : dpy_(xs.display()), w_(w), h_(h) {
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.event_mask = ExposureMask;
    window_ = XCreateWindow(dpy_, xs.root(), x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                            CopyFromParent, InputOutput, CopyFromParent, CWBackPixmap | CWEventMask, &attributes);
    gc_ = XCreateGC(dpy_, window_, 0, nullptr);
    XSetForeground(dpy_, gc_, rgb);
    XMapWindow(dpy_, window_);
    xs.sync();
    WaitUntil([&] { return xs.isViewable(window_); }, 5s);
    serviceExposures();
    paint();
  }
  ~SelfPaintingWindow() {
    XFreeGC(dpy_, gc_);
    XDestroyWindow(dpy_, window_);
    XSync(dpy_, False);
  }
  SelfPaintingWindow(const SelfPaintingWindow&) = delete;
  SelfPaintingWindow& operator=(const SelfPaintingWindow&) = delete;

  // Repaints for every Expose waiting; returns how many there were.
  int serviceExposures() {
    XSync(dpy_, False);
    int count = 0;
    XEvent event;
    while (XCheckTypedWindowEvent(dpy_, window_, Expose, &event)) {
      ++count;
      paint();
    }
    return count;
  }

 private:
  void paint() {
    XFillRectangle(dpy_, window_, gc_, 0, 0, static_cast<unsigned>(w_), static_cast<unsigned>(h_));
    XSync(dpy_, False);
  }

  Display* dpy_;
  Window window_ = 0;
  GC gc_ = nullptr;
  int w_, h_;
};

bool AllPixels(const ScreenImage& image, Rgb colour) {
  for (const Rgb& c : image.pixels)
    if (c.r != colour.r || c.g != colour.g || c.b != colour.b) return false;
  return true;
}

class OverlayTest : public BackendTest {
 protected:
  void SetUp() override {
    BackendTest::SetUp();
    if (HasFatalFailure()) return;
    form = std::make_unique<frmOSD>(backend->platform);
    backend->window.createWindow(frmOSDLayout(), *form);
  }
  void TearDown() override {
    form.reset();
    BackendTest::TearDown();
  }
  std::unique_ptr<frmOSD> form;
};

// The text box of "Show Text": 72-pixel cells from (250, 300).
constexpr int kBoxX = 250, kBoxY = 300, kBoxW = 700, kBoxH = 80;

TEST_F(OverlayTest, ShowTextPaintsOverOtherWindowsAndRemoveTextMakesThemRepaint) {
  XScreen xs;
  const Window blue = xs.createWindow(240, 290, 250, 100, 0x0000FF);  // the server repaints this one
  SelfPaintingWindow red(xs, 520, 290, 250, 100, 0xFF0000);         // and this one paints itself
  ASSERT_EQ(xs.countGreen(kBoxX, kBoxY, kBoxW, kBoxH), 0);

  form->cmdShow_Click();
  EXPECT_TRUE(WaitUntil([&] { return xs.countGreen(250, 300, 240, 80) > 500; }, 5s)) << "nothing over the blue window";
  EXPECT_GT(xs.countGreen(530, 300, 240, 80), 500) << "nothing over the red window";
  EXPECT_GT(xs.countGreen(kBoxX, kBoxY, kBoxW, kBoxH), 3000);

  form->cmdRemove_Click();
  int exposures = 0;
  const bool erased = WaitUntil(
      [&] {
        exposures += red.serviceExposures();
        return xs.countGreen(0, 0, xs.width(), 600) == 0;
      },
      5s);
  EXPECT_TRUE(erased) << "green left on the screen";
  EXPECT_GT(exposures, 0) << "the red window was never asked to repaint";
  EXPECT_TRUE(AllPixels(xs.grab(240, 290, 250, 100), {0, 0, 255}));
  EXPECT_TRUE(AllPixels(xs.grab(520, 290, 250, 100), {255, 0, 0}));
  xs.destroyWindow(blue);
}

TEST_F(OverlayTest, TheAnnouncementTextLandsInItsBox) {
  XScreen xs;
  form->cmdShow_Click();
  ASSERT_TRUE(WaitUntil([&] { return xs.countGreen(kBoxX, kBoxY, kBoxW, kBoxH) > 3000; }, 5s));
  // Nothing above or left of the box: the cell's top-left corner is (250, 300).
  EXPECT_EQ(xs.countGreen(0, 0, xs.width(), kBoxY), 0);
  EXPECT_EQ(xs.countGreen(0, kBoxY, kBoxX, kBoxH), 0);
  EXPECT_EQ(xs.countGreen(0, kBoxY + 72, xs.width(), 200), 0);  // nor below the 72-pixel cell
  form->cmdRemove_Click();
  EXPECT_TRUE(WaitUntil([&] { return xs.countGreen(kBoxX, kBoxY, kBoxW, kBoxH) == 0; }, 5s));
}

TEST_F(OverlayTest, FontCellIsAsTallAsAskedFor) {
  Display* dpy = backend->display;
  for (const char* face : {"MS Sans Serif", "Tahoma", "MS Serif", "No Such Face At All"})
    for (int weight : {400, 700})
      for (int height : {12, 20, 32, 72, 100}) {
        FontRequest request;
        request.height = height;
        request.weight = weight;
        request.faceName = face;
        XftFont* font = OpenRequestedFont(dpy, DefaultScreen(dpy), request);
        ASSERT_NE(font, nullptr) << face;
        EXPECT_EQ(font->ascent + font->descent, height) << face << " weight " << weight;
        XftFontClose(dpy, font);
      }
}

TEST_F(OverlayTest, HideIconsUnmapsTheDesktopWindowAndShowIconsMapsIt) {
  XScreen xs;
  const Window desktop = xs.createWindow(0, 0, 200, 150, 0x336699, true, "desktop");
  const Window ordinary = xs.createWindow(300, 0, 200, 150, 0x999999);
  EXPECT_EQ(FindDesktopWindow(backend->display), desktop);

  form->cmdHideIcons_Click();
  EXPECT_TRUE(WaitUntil([&] { return !xs.isViewable(desktop); }, 5s));
  EXPECT_TRUE(xs.isViewable(ordinary));
  form->cmdShowicons_Click();
  EXPECT_TRUE(WaitUntil([&] { return xs.isViewable(desktop); }, 5s));
}

TEST_F(OverlayTest, TheDesktopMayBeAClientInsideAWindowManagersFrame) {
  XScreen xs;
  Display* dpy = xs.display();
  const Window frame = xs.createWindow(0, 0, 220, 170, 0x202020, false, "frame");
  const Window client = XCreateSimpleWindow(dpy, frame, 10, 10, 200, 150, 0, 0, 0x336699);
  const Atom type = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE", False);
  const Atom desktopType = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
  XChangeProperty(dpy, client, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&desktopType),
                  1);
  XMapWindow(dpy, client);
  xs.sync();
  ASSERT_TRUE(WaitUntil([&] { return xs.isViewable(client); }, 5s));

  form->cmdHideIcons_Click();
  EXPECT_TRUE(WaitUntil([&] { return !xs.isViewable(client); }, 5s));
  EXPECT_TRUE(xs.isViewable(frame));
  form->cmdShowicons_Click();
  EXPECT_TRUE(WaitUntil([&] { return xs.isViewable(client); }, 5s));
}

TEST_F(OverlayTest, WithoutADesktopWindowNothingHappens) {
  XScreen xs;
  const Window ordinary = xs.createWindow(300, 0, 200, 150, 0x999999);
  EXPECT_EQ(FindDesktopWindow(backend->display), 0u);
  form->cmdHideIcons_Click();
  form->cmdShowicons_Click();
  form->cmdHideIcons_Click();
  XSync(backend->display, False);
  xs.sync();
  EXPECT_TRUE(xs.isViewable(ordinary));
}

}  // namespace
}  // namespace lumio::x11::testing
