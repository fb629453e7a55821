// The smaller Win32 pieces: key codes, failures from HRESULTs, the keyboard
// device, the lock keys, desktop icons, the single-instance mutex, the program's folder and
// painting on the screen.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "keymonitor/form_layout.h"
#include "support/form_lookup.h"
#include "platform/win32/desktop_icons_win32.h"
#include "platform/win32/dik_codes.h"
#include "platform/win32/failure_win32.h"
#include "platform/win32/instance_guard_win32.h"
#include "platform/win32/key_button_painter.h"
#include "platform/win32/keyboard_win32.h"
#include "platform/win32/list_file_win32.h"
#include "platform/win32/lock_keys_win32.h"
#include "platform/win32/program_environment_win32.h"
#include "platform/win32/screen_surface_win32.h"

namespace lumio::win32 {
namespace {

// Every key of the on-screen keyboard, by what it is called in dinput.h: the
// form's index for it must be that code, or the wrong button lights up.
TEST(DirectInputCodes, EveryFormKeySitsAtItsDirectInputCode) {
  const std::array<std::pair<int, std::string_view>, 105> kKeys{{
      {0, "Esc"}, {DIK_ESCAPE, "key 1"}, {DIK_F1, "F1"}, {DIK_F2, "F2"}, {DIK_F3, "F3"}, {DIK_F4, "F4"},
      {DIK_F5, "F5"}, {DIK_F6, "F6"}, {DIK_F7, "F7"}, {DIK_F8, "F8"}, {DIK_F9, "F9"}, {DIK_F10, "F10"},
      {DIK_F11, "F11"}, {DIK_F12, "F12"}, {DIK_SYSRQ, "Print Scrn"}, {DIK_SCROLL, "Scroll Lock"},
      {DIK_PAUSE, "Pause "}, {DIK_GRAVE, "`"}, {DIK_1, "1"}, {DIK_2, "2"}, {DIK_3, "3"}, {DIK_4, "4"},
      {DIK_5, "5"}, {DIK_6, "6"}, {DIK_7, "7"}, {DIK_8, "8"}, {DIK_9, "9"}, {DIK_0, "0"}, {DIK_MINUS, "-"},
      {DIK_EQUALS, "="}, {DIK_BACKSLASH, "\\"}, {DIK_BACK, "Back"}, {DIK_INSERT, "Insert"}, {DIK_HOME, "Home"},
      {DIK_PRIOR, "Page Up"}, {DIK_NUMLOCK, "Num Lock"}, {DIK_DIVIDE, "/"}, {DIK_MULTIPLY, "*"},
      {DIK_SUBTRACT, "-"}, {DIK_TAB, "Tab"}, {DIK_Q, "Q"}, {DIK_W, "W"}, {DIK_E, "E"}, {DIK_R, "R"},
      {DIK_T, "T"}, {DIK_Y, "Y"}, {DIK_U, "U"}, {DIK_I, "I"}, {DIK_O, "O"}, {DIK_P, "P"}, {DIK_LBRACKET, "["},
      {DIK_RBRACKET, "]"}, {DIK_RETURN, "Enter"}, {DIK_DELETE, "Del"}, {DIK_END, "End"},
      {DIK_NEXT, "Page Down"}, {DIK_NUMPAD7, "7"}, {DIK_NUMPAD8, "8"}, {DIK_NUMPAD9, "9"}, {DIK_ADD, "+"},
      {DIK_CAPITAL, "Caps Lock"}, {DIK_A, "A"}, {DIK_S, "S"}, {DIK_D, "D"}, {DIK_F, "F"}, {DIK_G, "G"},
      {DIK_H, "H"}, {DIK_J, "J"}, {DIK_K, "K"}, {DIK_L, "L"}, {DIK_SEMICOLON, ";"}, {DIK_APOSTROPHE, "'"},
      {DIK_NUMPAD4, "4"}, {DIK_NUMPAD5, "5"}, {DIK_NUMPAD6, "6"}, {DIK_LSHIFT, "Shift"}, {DIK_Z, "Z"},
      {DIK_X, "X"}, {DIK_C, "C"}, {DIK_V, "V"}, {DIK_B, "B"}, {DIK_N, "N"}, {DIK_M, "M"}, {DIK_COMMA, ","},
      {DIK_PERIOD, "."}, {DIK_SLASH, "/"}, {DIK_RSHIFT, "Shift"}, {DIK_UP, "Up"}, {DIK_NUMPAD1, "1"},
      {DIK_NUMPAD2, "2"}, {DIK_NUMPAD3, "3"}, {DIK_NUMPADENTER, "Enter"}, {DIK_LCONTROL, "Ctrl"},
      {DIK_LWIN, ""}, {DIK_LMENU, "Alt"}, {DIK_SPACE, "Space Bar"}, {DIK_RMENU, "Alt"}, {DIK_RWIN, ""},
      {DIK_APPS, ""}, {DIK_RCONTROL, "Ctrl"}, {DIK_LEFT, "Left"}, {DIK_DOWN, "Down"}, {DIK_RIGHT, "Right"},
      {DIK_NUMPAD0, "0"}, {DIK_DECIMAL, "."},
  }};
  for (const auto& [code, caption] : kKeys) {
    SCOPED_TRACE("code " + std::to_string(code));
    const KeyDesc* key = FindKey(CoreKeyCode(static_cast<std::uint8_t>(code)));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->caption, caption);
  }
  EXPECT_EQ(FindKey(DIK_LWIN)->picture, KeyPicture::WindowsFlag);
  EXPECT_EQ(FindKey(DIK_RWIN)->picture, KeyPicture::WindowsFlag);
  EXPECT_EQ(FindKey(DIK_APPS)->picture, KeyPicture::Menu);
}

// One number space: a window error is the HRESULT Windows gives it, and
// each failure carries the best text there is.
TEST(Win32Failures, CarryTheHresultAsASignedNumberWithTheBestTextThereIs) {
  const struct {
    HRESULT result;
    std::int32_t number;
    const char* description;  // null: the system's own text
  } cases[] = {
      {DIERR_NOTACQUIRED, -2147024884, nullptr},  // 0x8007000C
      {HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE), -2147023496, nullptr},
      {static_cast<HRESULT>(DIERR_NOTEXCLUSIVEACQUIRED), -2147220987, "DIERR_NOTEXCLUSIVEACQUIRED"},  // no system text
      {static_cast<HRESULT>(0x8004FFF1u), -2147155983, "Unknown error 0x8004FFF1"},
  };
  for (const auto& c : cases) {
    const Failure failure = HresultFailure(c.result);
    EXPECT_EQ(failure.number(), c.number);
    if (c.description != nullptr) {
      EXPECT_EQ(failure.description(), c.description);
    }
    ASSERT_FALSE(failure.description().empty()) << c.number;
    EXPECT_EQ(failure.description().find_last_not_of("\r\n "), failure.description().size() - 1) << "line ends cut";
  }

  // A failed window call, as the window system reports it.
  EXPECT_EQ(CreateWindowExA(0, "no such class", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  const DWORD error = GetLastError();  // Windows and Wine name the missing class apart
  const Failure failed = LastErrorFailure();
  ASSERT_NE(error, 0u);
  EXPECT_EQ(failed.number(), static_cast<std::int32_t>(HRESULT_FROM_WIN32(error)));
  EXPECT_FALSE(failed.description().empty());
}

TEST(Win32KeyboardDeviceTest, ReadsTheWholeKeyboardOnceOpenedAndNotBefore) {
  Win32KeyboardDevice keyboard(GetModuleHandleA(nullptr));
  KeyboardState state{};
  try {
    keyboard.getState(state);
    FAIL() << "no device yet";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.number(), failures::kObjectNotSet);
  }

  const HWND window = CreateWindowExA(0, "STATIC", "keyboard owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  keyboard.open(FromHwnd(window));
  state.fill(0xEE);
  keyboard.getState(state);
  int filled = 0;
  for (const std::uint8_t byte : state) filled += byte != 0xEE ? 1 : 0;
  EXPECT_EQ(filled, 256) << "every byte written";
  DestroyWindow(window);
}

TEST(Win32KeyboardDeviceTest, AFailedStepThrowsItsHresult) {
  Win32KeyboardDevice keyboard(GetModuleHandleA(nullptr));
  try {
    // Not a window: the cooperative level cannot be set.
    keyboard.open(static_cast<NativeHandle>(0x7FFF0001));
    FAIL() << "opened against a window that does not exist";
  } catch (const Failure& failure) {
    EXPECT_LT(failure.number(), 0) << "an HRESULT error, as a signed number";
    EXPECT_FALSE(failure.description().empty());
  }
}

// Answers each call from a script of results: DIERR_INPUTLOST once, say.
struct ScriptedDevice {
  std::vector<HRESULT> states;    // one per GetDeviceState, then DI_OK
  std::vector<HRESULT> acquires;  // one per Acquire, then DI_OK
  int stateCalls = 0, acquireCalls = 0;

  HRESULT GetDeviceState(DWORD size, void* data) {
    std::memset(data, stateCalls == 0 ? 0 : 0x80, size);
    const auto call = static_cast<std::size_t>(stateCalls++);
    return call < states.size() ? states[call] : DI_OK;
  }
  HRESULT Acquire() {
    const auto call = static_cast<std::size_t>(acquireCalls++);
    return call < acquires.size() ? acquires[call] : DI_OK;
  }
};

TEST(Win32KeyboardDeviceTest, ALostDeviceIsAcquiredOnceBeforeAFailureIsReported) {
  const struct {
    std::vector<HRESULT> states, acquires;
    HRESULT result;
    int stateCalls, acquireCalls;
  } cases[] = {
      {{}, {}, DI_OK, 1, 0},                                      // the usual read
      {{DIERR_INPUTLOST}, {}, DI_OK, 2, 1},                       // taken away once: back after one Acquire
      {{DIERR_NOTACQUIRED}, {}, DI_OK, 2, 1},                     // never acquired: the same
      {{DIERR_INPUTLOST}, {DIERR_OTHERAPPHASPRIO}, DIERR_INPUTLOST, 1, 1},  // Acquire refused: the loss
      {{DIERR_INPUTLOST, DIERR_INPUTLOST}, {}, DIERR_INPUTLOST, 2, 1},      // only one try per snapshot
      {{E_FAIL}, {}, E_FAIL, 1, 0},                               // other failures as they are
  };
  for (const auto& c : cases) {
    ScriptedDevice device{c.states, c.acquires};
    KeyboardState state{};
    EXPECT_EQ(ReadSnapshot(device, state), c.result);
    EXPECT_EQ(device.stateCalls, c.stateCalls);
    EXPECT_EQ(device.acquireCalls, c.acquireCalls);
    if (c.result == DI_OK) {
      EXPECT_EQ(state[kCapsLockCode], c.stateCalls == 1 ? 0 : 0x80) << "the second read counts";
    }
  }
}

class ProgmanStandIn {
 public:
  ProgmanStandIn() {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "Progman";
    RegisterClassExA(&windowClass);
    window = CreateWindowExA(WS_EX_TOOLWINDOW, "Progman", "stand-in", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
  }
  ~ProgmanStandIn() { DestroyWindow(window); }
  HWND window = nullptr;
};

TEST(Win32DesktopIconsTest, HidesAndShowsTheProgmanWindow) {
  Win32DesktopIcons icons;
  icons.setVisible(false);  // none there (Wine has none of its own): no harm
  {
    ProgmanStandIn progman;
    ASSERT_NE(progman.window, nullptr);
    ASSERT_EQ(FindWindowExA(nullptr, nullptr, "Progman", nullptr), progman.window);
    ASSERT_TRUE(IsWindowVisible(progman.window));
    icons.setVisible(false);
    EXPECT_FALSE(IsWindowVisible(progman.window));
    icons.setVisible(false);
    EXPECT_FALSE(IsWindowVisible(progman.window));
    icons.setVisible(true);
    EXPECT_TRUE(IsWindowVisible(progman.window));
  }
  icons.setVisible(true);
}

// Our thread's key state as Windows keeps it (bit 7 down, bit 0 the lock):
// each lock reads its own key, on while locked, held while down.
TEST(Win32LockKeysTest, EachLockReadsItsOwnKeyFromTheThreadsState) {
  BYTE saved[256] = {};
  ASSERT_TRUE(GetKeyboardState(saved));
  Win32LockKeySource source;
  for (const auto& bits : {std::array<BYTE, 3>{0x01, 0x00, 0x80}, std::array<BYTE, 3>{0x80, 0x81, 0x00},
                           std::array<BYTE, 3>{0x00, 0x01, 0x81}, std::array<BYTE, 3>{0x81, 0x80, 0x01}}) {
    BYTE keys[256] = {};
    keys[VK_CAPITAL] = bits[0];
    keys[VK_NUMLOCK] = bits[1];
    keys[VK_SCROLL] = bits[2];
    ASSERT_TRUE(SetKeyboardState(keys));
    for (const LockKey key : {LockKey::Caps, LockKey::Num, LockKey::Scroll}) {
      const BYTE set = bits[static_cast<std::size_t>(key)];
      EXPECT_EQ(source.state(key).on, (set & 0x01) != 0) << static_cast<int>(key) << ": " << int{set};
      EXPECT_EQ(source.state(key).held, (set & 0x80) != 0) << static_cast<int>(key) << ": " << int{set};
    }
  }
  SetKeyboardState(saved);
}

TEST(Win32InstanceGuardTest, OnlyTheFirstHolderRunsUntilItGoes) {
  const std::string name = "Local\\Lumio-test-" + std::to_string(GetCurrentProcessId());
  {
    Win32InstanceGuard first(name);
    EXPECT_FALSE(first.anotherInstanceRunning());
    EXPECT_FALSE(first.anotherInstanceRunning()) << "asking again does not make it a second";
    Win32InstanceGuard second(name);
    EXPECT_TRUE(second.anotherInstanceRunning());
    EXPECT_TRUE(second.anotherInstanceRunning());
    Win32InstanceGuard third(name);
    EXPECT_TRUE(third.anotherInstanceRunning());
  }
  Win32InstanceGuard afterwards(name);
  EXPECT_FALSE(afterwards.anotherInstanceRunning()) << "released when the first went";
  EXPECT_EQ(std::string(kInstanceMutexName).rfind("Local\\", 0), 0u) << "per session";
}

TEST(Win32InstanceGuardTest, ANameAStrangerHoldsWithOtherRightsDoesNotStopUs) {
  const std::string name = "Local\\Lumio-stranger-" + std::to_string(GetCurrentProcessId());
  // An empty access list: nobody may open it, we included.
  ACL acl{};
  ASSERT_TRUE(InitializeAcl(&acl, sizeof acl, ACL_REVISION));
  SECURITY_DESCRIPTOR descriptor{};
  ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, &acl, FALSE));
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
  const HANDLE stranger = CreateMutexA(&attributes, FALSE, name.c_str());
  ASSERT_NE(stranger, nullptr);
  const HANDLE probe = CreateMutexA(nullptr, FALSE, name.c_str());
  const DWORD probeError = GetLastError();
  if (probe != nullptr) CloseHandle(probe);
  EXPECT_EQ(probeError, static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "the name is not closed to us as planned";
  Win32InstanceGuard ours(name);
  EXPECT_FALSE(ours.anotherInstanceRunning());
  CloseHandle(stranger);
}

TEST(Win32ListFilesTest, ReadsOnlyPlainFilesAndCreatesOnlyNewOnes) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::filesystem::path folder =
      std::filesystem::path(temp) / ("lumio-list-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path file = folder / "list.txt";
  Win32ListFiles files;
  const auto failureOf = [&] {
    try {
      files.openForReading(file);
    } catch (const Failure& f) {
      return f.number();
    }
    files.close();
    return 0;
  };
  EXPECT_EQ(failureOf(), 53);
  EXPECT_TRUE(files.createNew(file, "58\r\n"));
  EXPECT_FALSE(files.createNew(file, "1\r\n")) << "what is there stays";
  files.openForReading(file);
  char buffer[16] = {};
  EXPECT_EQ(files.read(buffer, sizeof buffer), 4u);
  EXPECT_EQ(std::string(buffer), "58\r\n");
  EXPECT_EQ(files.read(buffer, sizeof buffer), 0u);
  files.close();
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);
  EXPECT_EQ(failureOf(), 75);
  EXPECT_FALSE(files.createNew(file, "1\r\n"));
  std::filesystem::remove_all(folder);
}

TEST(Win32ProgramEnvironmentTest, ProgramFolderIsTheExecutablesNotTheCurrentOne) {
  Win32ProgramEnvironment environment;
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  SetCurrentDirectoryW(temp);
  const std::filesystem::path folder = environment.programDirectory();
  SetCurrentDirectoryW(previous);
  EXPECT_TRUE(folder.is_absolute());
  EXPECT_TRUE(std::filesystem::exists(folder / "win32_backend_tests.exe")) << folder.string();

  const std::string separator = environment.decimalSeparator();
  EXPECT_FALSE(separator.empty());
  EXPECT_EQ(separator.find('\0'), std::string::npos);
}

TEST(KeyPainting, ColoursAndPicturePixelsConvert) {
  EXPECT_EQ(ToColorRef(kYellow), RGB(255, 255, 0));
  EXPECT_EQ(ToColorRef(0x00123456), static_cast<COLORREF>(0x00123456));
  EXPECT_EQ(ToColorRef(kButtonFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ToColorRef(kActiveBorder), GetSysColor(COLOR_ACTIVEBORDER));

  KeyBitmap bitmap{2, 1, {0x00030201u, 0x00FF0000u}};  // &H00BBGGRR
  const std::vector<std::uint32_t> dib = ToDibPixels(bitmap);
  ASSERT_EQ(dib.size(), 2u);
  EXPECT_EQ(dib[0], 0x00010203u);  // 0x00RRGGBB
  EXPECT_EQ(dib[1], 0x000000FFu);  // blue
}

int GreenPixelsOnScreen(int x, int y, int width, int height) {
  const HDC screen = GetDC(nullptr);
  int green = 0;
  for (int py = y; py < y + height; py += 2)
    for (int px = x; px < x + width; px += 2) green += GetPixel(screen, px, py) == RGB(0, 255, 0) ? 1 : 0;
  ReleaseDC(nullptr, screen);
  return green;
}

TEST(Win32ScreenSurfaceTest, PaintsOnTheScreenAndLeaksNothing) {
  Win32ScreenSurface surface;
  FontRequest font;
  font.height = 72;
  font.weight = 700;
  font.faceName = "MS Sans Serif";
  const int before = GreenPixelsOnScreen(600, 600, 400, 100);
  surface.drawText(font, 600, 600, kGreen, "WWWW");
  EXPECT_GT(GreenPixelsOnScreen(600, 600, 400, 100), before + 50);

  const HANDLE self = GetCurrentProcess();
  const DWORD gdiBefore = GetGuiResources(self, GR_GDIOBJECTS);
  for (int i = 0; i < 40; ++i) surface.drawText(font, 600, 600, kGreen, "WWWW");
  const DWORD gdiAfter = GetGuiResources(self, GR_GDIOBJECTS);
  if (gdiBefore == 0) GTEST_SKIP() << "this system does not count GDI objects";
  EXPECT_EQ(gdiAfter, gdiBefore);
  surface.repaintAll();
}

}  // namespace
}  // namespace lumio::win32
