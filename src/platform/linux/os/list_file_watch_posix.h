// Whether list.txt may have changed since it was last opened, from inotify
// on its folder: polling may rest only while this can tell. It watches the
// folder's entry by name, so that a file replaced by a rename (as sed -i and
// most editors save) is seen as well as one written in place, and the
// folder itself, so that moving or removing it is seen too.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace lumio::os {

// Whether inotify hears of every change on a file system of this type
// (statfs's f_type): local ones only. On a network file system it hears
// of nothing done on another machine; on one it does not know, nothing is
// promised.
bool InotifySeesEveryChange(long fileSystemType);

class ListFileWatch {
 public:
  ListFileWatch() = default;
  ~ListFileWatch();
  ListFileWatch(const ListFileWatch&) = delete;
  ListFileWatch& operator=(const ListFileWatch&) = delete;

  // Just before `file` is opened: watches its folder if it does not yet,
  // looks again at what bears the name if anything changed, and forgets
  // what came before.
  void opening(const std::filesystem::path& file);
  // The open that followed succeeded.
  void opened() { openedFine_ = true; }
  // True only when the last opening was followed by a successful open and
  // nothing has been heard about the file since, on a watch that sees
  // every change: a plain file with no other name, on a local file system.
  bool unchanged();
  // Called from FLTK's loop as soon as the file may have changed.
  void callOnChange(std::function<void()> changed) { changed_ = std::move(changed); }

 private:
  void watchFolder(const std::filesystem::path& file);
  void stopWatching();
  // Takes in what inotify has, without waiting. True when any of it was
  // about our file or its folder.
  bool drain();
  static void OnReadable(int fd, void* data);

  int fd_ = -1;
  int folderWatch_ = -1;
  std::filesystem::path folder_;
  std::string name_;
  std::filesystem::path unwatchable_;  // on a file system whose changes inotify may miss
  bool trusted_ = false;     // a watch that sees every change of what bears the name
  bool heard_ = true;        // something happened since the last opening
  bool openedFine_ = false;  // the last opening was followed by a good open
  std::function<void()> changed_;
};

}  // namespace lumio::os
