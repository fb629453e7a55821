#include "platform/linux/os/list_file_watch_posix.h"

#include <FL/Fl.H>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace lumio::os {

namespace {

// Whatever may change what a pass reads through the name, or whether it can
// open it: written, replaced or removed under it, its permissions changed.
// Opening and reading it, as every pass does, is none of these.
constexpr std::uint32_t kEntryEvents =
    IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;
// The folder moved away or gone: the watch no longer follows the path.
constexpr std::uint32_t kFolderLost = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;

// A link's target, or a file with another name elsewhere, can be written
// without the folder hearing of it. Nothing there at all is fine: the open
// fails, and creating it is heard.
bool PlainWithOneName(const std::filesystem::path& file) {
  struct stat info {};
  if (lstat(file.c_str(), &info) != 0) return errno == ENOENT;
  return S_ISREG(info.st_mode) && info.st_nlink == 1;
}

}  // namespace

bool InotifySeesEveryChange(long fileSystemType) {
  switch (static_cast<std::uint32_t>(fileSystemType)) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // xfs
    case 0x9123683E:  // btrfs
    case 0xF2F52010:  // f2fs
    case 0x2FC12FC1:  // zfs
    case 0xCA451A4E:  // bcachefs
    case 0x52654973:  // reiserfs
    case 0x3153464A:  // jfs
    case 0x01021994:  // tmpfs
    case 0x858458F6:  // ramfs
    case 0x794C7630:  // overlayfs
    case 0x4D44:      // vfat, msdos
    case 0x2011BAB0:  // exfat
    case 0x7366746E:  // ntfs3
    case 0x73717368:  // squashfs
      return true;
    default:  // nfs, cifs, smb, fuse, 9p, ceph and anything we do not know
      return false;
  }
}

ListFileWatch::~ListFileWatch() {
  if (fd_ < 0) return;
  Fl::remove_fd(fd_);
  close(fd_);
}

void ListFileWatch::opening(const std::filesystem::path& file) {
  openedFine_ = false;
  drain();  // what happened before this open, the open sees
  watchFolder(file);
  if (heard_) trusted_ = folderWatch_ >= 0 && PlainWithOneName(file);
  heard_ = false;
}

bool ListFileWatch::unchanged() {
  drain();
  return trusted_ && openedFine_ && !heard_;
}

void ListFileWatch::watchFolder(const std::filesystem::path& file) {
  const std::filesystem::path folder = file.parent_path();
  const std::string name = file.filename().string();
  if (folderWatch_ >= 0 && folder == folder_ && name == name_) return;
  // A file system that cannot be watched does not learn it by being asked
  // fifty times a second; a folder that is not there now may be later.
  if (folder == unwatchable_) return;
  stopWatching();
  folder_ = folder;
  name_ = name;
  heard_ = true;
  if (fd_ < 0) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return;
    Fl::add_fd(fd_, OnReadable, this);
  }
  struct statfs fileSystem {};
  if (statfs(folder.c_str(), &fileSystem) != 0) return;
  if (!InotifySeesEveryChange(fileSystem.f_type)) {
    unwatchable_ = folder;
    return;
  }
  folderWatch_ = inotify_add_watch(fd_, folder.c_str(), kEntryEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
}

void ListFileWatch::stopWatching() {
  if (folderWatch_ >= 0) inotify_rm_watch(fd_, folderWatch_);  // gone already when the folder went
  folderWatch_ = -1;
  trusted_ = false;
}

bool ListFileWatch::drain() {
  if (fd_ < 0) return false;
  bool ours = false;
  bool lost = false;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // EAGAIN: nothing more has come
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if ((event->mask & IN_Q_OVERFLOW) != 0) {
        ours = true;  // events were dropped: anything may have happened
      } else if (event->wd == folderWatch_ && folderWatch_ >= 0) {
        // No name: the folder itself (moved, removed, its permissions).
        if (event->len == 0) {
          ours = true;
          lost = lost || (event->mask & kFolderLost) != 0;
        } else if (name_ == event->name) {
          ours = true;
        }
      }
    }
  }
  if (lost) stopWatching();  // the next opening watches whatever folder the path leads to then
  heard_ = heard_ || ours;
  return ours;
}

void ListFileWatch::OnReadable(int /*fd*/, void* data) {
  auto& self = *static_cast<ListFileWatch*>(data);
  if (self.drain() && self.changed_) self.changed_();
}

}  // namespace lumio::os
