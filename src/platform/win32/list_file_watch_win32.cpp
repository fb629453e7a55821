#include "platform/win32/list_file_watch_win32.h"

#include <string>

namespace lumio::win32 {

namespace {

// Whatever may change what a pass reads, or whether it can open the file.
// Reading it, as every pass does, is none of these.
constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES |
                           FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SECURITY;

// A network drive tells of changes made through this machine only.
bool OnAnotherMachine(const std::filesystem::path& folder) {
  std::wstring volume(MAX_PATH + 1, L'\0');
  if (!GetVolumePathNameW(folder.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) return true;
  return GetDriveTypeW(volume.c_str()) == DRIVE_REMOTE;
}

}  // namespace

void ListFileWatch::opening(const std::filesystem::path& file) {
  drain();  // what happened before this open, the open sees
  watchFolder(file.parent_path());
  trusted_ = false;
  heard_ = false;
}

void ListFileWatch::opened(const std::filesystem::path& file, const BY_HANDLE_FILE_INFORMATION& info) {
  // A link's target, or the same file under another name elsewhere, can be
  // written without the folder telling.
  const DWORD attributes = GetFileAttributesW(file.c_str());
  trusted_ = notification_ != INVALID_HANDLE_VALUE && info.nNumberOfLinks == 1 &&
             attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

bool ListFileWatch::unchanged() {
  drain();
  return trusted_ && !heard_;
}

void ListFileWatch::watchFolder(const std::filesystem::path& folder) {
  if (notification_ != INVALID_HANDLE_VALUE && folder == folder_) return;
  if (folder == unwatchable_) return;  // asking fifty times a second does not change that
  stopWatching();
  folder_ = folder;
  if (OnAnotherMachine(folder)) {
    unwatchable_ = folder;
    return;
  }
  notification_ = FindFirstChangeNotificationW(folder.c_str(), FALSE, kChanges);
  if (notification_ == INVALID_HANDLE_VALUE) return;  // a folder not there now may be later
  loop_.watch(notification_, [this] {
    drain();
    heard_ = true;
    if (changed_) changed_();
  });
}

void ListFileWatch::stopWatching() {
  if (notification_ == INVALID_HANDLE_VALUE) return;
  loop_.unwatch(notification_);
  FindCloseChangeNotification(notification_);
  notification_ = INVALID_HANDLE_VALUE;
  trusted_ = false;
}

void ListFileWatch::drain() {
  if (notification_ == INVALID_HANDLE_VALUE || WaitForSingleObject(notification_, 0) != WAIT_OBJECT_0) return;
  heard_ = true;
  if (!FindNextChangeNotification(notification_)) stopWatching();
}

}  // namespace lumio::win32
