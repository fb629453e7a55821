// The program's own connection to the Wayland compositor, beside XWayland's
// X connection, served by FLTK's event loop on the same thread. Whoever
// needs one of the compositor's globals listens to the registry through it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct wl_display;
struct wl_registry;

namespace lumio::wayland {

class GlobalListener {
 public:
  virtual ~GlobalListener() = default;
  // The compositor offers a global: bind it through the registry if wanted.
  virtual void globalAdded(wl_registry* registry, std::uint32_t name, std::string_view interface,
                           std::uint32_t version) = 0;
  // It took one away (an output unplugged, say).
  virtual void globalRemoved(std::uint32_t name) = 0;
  // The connection is lost: every global is gone with it, without a word.
  virtual void connectionLost() {}
};

class WaylandConnection {
 public:
  // Connects to the compositor at that name and learns its globals; nullptr
  // when none answers.
  static std::unique_ptr<WaylandConnection> Connect(const char* displayName);
  ~WaylandConnection();
  WaylandConnection(const WaylandConnection&) = delete;
  WaylandConnection& operator=(const WaylandConnection&) = delete;

  // Tells the listener of every global offered so far, then of every change
  // until it is removed (before it is destroyed).
  void addListener(GlobalListener& listener);
  void removeListener(GlobalListener& listener);

  // Sends what is waiting to be sent.
  void flush();
  // Waits until the compositor has answered everything sent so far, the
  // events meanwhile handled. False once the connection is lost.
  bool roundtrip();
  // False once the compositor went away or ended the connection for an
  // error: nothing more can be sent or heard.
  bool alive() const { return !lost_; }
  wl_display* display() const { return display_; }

 private:
  struct Global {
    std::uint32_t name;
    std::string interface;
    std::uint32_t version;
  };

  explicit WaylandConnection(wl_display* display);
  static void OnReadable(int fd, void* data);
  static void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
  static void OnGlobalRemove(void* data, wl_registry* registry, std::uint32_t name);
  void lose();

  wl_display* display_;
  wl_registry* registry_ = nullptr;
  std::vector<Global> globals_;
  std::vector<GlobalListener*> listeners_;
  bool lost_ = false;  // and no longer served by FLTK's loop
};

}  // namespace lumio::wayland
