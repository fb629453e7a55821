// The program's resources as Windows sees them in the built .exe: its icon
// in both sizes, its version and its manifest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/program_environment_win32.h"
#include "platform/win32/res/resource_ids.h"
#include "platform/win32/win32_api.h"

namespace lumio::win32 {
namespace {

class ProgramResources : public ::testing::Test {
 protected:
  void SetUp() override {
    // The test runs from <build>/tests/win32, the program sits at <build>.
    MessageLoop loop;
    const std::filesystem::path exe =
        Win32ProgramEnvironment(loop).programDirectory().parent_path().parent_path() / "lumio-capslock.exe";
    ASSERT_TRUE(std::filesystem::exists(exe)) << exe.string();
    path = exe.wstring();
    module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
  }
  void TearDown() override {
    if (module != nullptr) FreeLibrary(module);
  }

  std::wstring path;
  HMODULE module = nullptr;
};

TEST_F(ProgramResources, IconHasSixteenColourImagesAtThirtyTwoAndSixteen) {
  for (const int size : {32, 16}) {
    SCOPED_TRACE(size);
    const HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_LUMIO), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    GetObjectW(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, size) << "its own image, not a scaled one";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
  // Both images are in the group, each 4 bits per pixel.
  const HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(IDI_LUMIO), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(group, nullptr);
  const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(module, group)));
  ASSERT_NE(bytes, nullptr);
  const int count = bytes[4] | bytes[5] << 8;
  ASSERT_EQ(count, 2);
  for (int i = 0; i < count; ++i) {
    const unsigned char* entry = bytes + 6 + 14 * i;  // GRPICONDIRENTRY
    EXPECT_EQ(entry[2], 16) << "colour count";
    EXPECT_EQ(entry[6] | entry[7] << 8, 4) << "bits per pixel";
  }
}

TEST_F(ProgramResources, VersionIsOneOneFiveOfLumioCapsLock) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00050000u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
  wchar_t* product = nullptr;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904b0\\ProductName",
                             reinterpret_cast<void**>(&product), &length));
  EXPECT_EQ(std::wstring(product), L"Lumio - Caps Lock");
}

TEST_F(ProgramResources, ManifestAsksForPerMonitorDpiAndCommonControlsSix) {
  const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  const auto* text = static_cast<const char*>(LockResource(LoadResource(module, found)));
  const std::string manifest(text, SizeofResource(module, found));
  EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
  EXPECT_NE(manifest.find(">PerMonitorV2,PerMonitor</dpiAwareness>"), std::string::npos);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

}  // namespace
}  // namespace lumio::win32
