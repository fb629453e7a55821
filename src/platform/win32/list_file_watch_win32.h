// Whether list.txt may have changed since it was last opened, from a change
// notification on its folder: polling may rest only while this can tell.
// Any change of a name, size, time, attribute or permission in the folder
// counts, so a file replaced by a rename (as sed -i and many editors save)
// is seen as well as one written in place. The folder itself cannot move or
// go while the program in it runs.
#pragma once

#include <filesystem>
#include <functional>

#include "platform/win32/message_loop.h"
#include "platform/win32/win32_api.h"

namespace lumio::win32 {

class ListFileWatch {
 public:
  explicit ListFileWatch(MessageLoop& loop) : loop_(loop) {}
  ~ListFileWatch() { stopWatching(); }
  ListFileWatch(const ListFileWatch&) = delete;
  ListFileWatch& operator=(const ListFileWatch&) = delete;

  // Just before `file` is opened: watches its folder if it does not yet,
  // and forgets what came before.
  void opening(const std::filesystem::path& file);
  // The open that followed succeeded, giving this.
  void opened(const std::filesystem::path& file, const BY_HANDLE_FILE_INFORMATION& info);
  // True only when the last opening was followed by a successful open of a
  // plain file with no other name, and nothing has been heard since.
  bool unchanged();
  // Called from the message loop as soon as the file may have changed.
  void callOnChange(std::function<void()> changed) { changed_ = std::move(changed); }

 private:
  void watchFolder(const std::filesystem::path& folder);
  void stopWatching();
  // Takes in a notification that came, and asks for the next one.
  void drain();

  MessageLoop& loop_;
  HANDLE notification_ = INVALID_HANDLE_VALUE;
  std::filesystem::path folder_;
  std::filesystem::path unwatchable_;  // on another machine, whose changes may never be told
  bool trusted_ = false;               // opened fine, with nothing to change it unseen
  bool heard_ = true;                  // something happened since the last opening
  std::function<void()> changed_;
};

}  // namespace lumio::win32
