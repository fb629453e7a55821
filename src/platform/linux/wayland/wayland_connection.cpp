#include "platform/linux/wayland/wayland_connection.h"

#include <FL/Fl.H>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace lumio::wayland {

std::unique_ptr<WaylandConnection> WaylandConnection::Connect(const char* displayName) {
  wl_display* display = wl_display_connect(displayName);
  if (display == nullptr) return nullptr;
  std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display));
  if (wl_display_roundtrip(display) < 0) return nullptr;  // the globals
  return connection;
}

WaylandConnection::WaylandConnection(wl_display* display) : display_(display) {
  static const wl_registry_listener listener{&OnGlobal, &OnGlobalRemove};
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &listener, this);
  // Its events are read as they come, between FLTK's, on this thread.
  Fl::add_fd(wl_display_get_fd(display_), FL_READ, &OnReadable, this);
}

WaylandConnection::~WaylandConnection() {
  if (!lost_) Fl::remove_fd(wl_display_get_fd(display_));
  if (registry_ != nullptr) wl_registry_destroy(registry_);
  // The compositor takes away every surface of ours as the connection ends.
  wl_display_disconnect(display_);
}

void WaylandConnection::addListener(GlobalListener& listener) {
  listeners_.push_back(&listener);
  for (const Global& global : globals_) listener.globalAdded(registry_, global.name, global.interface, global.version);
}

void WaylandConnection::removeListener(GlobalListener& listener) {
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), &listener), listeners_.end());
}

void WaylandConnection::flush() {
  if (lost_) return;
  // A full socket (EAGAIN) sends the rest with the next flush or read.
  if (wl_display_flush(display_) < 0 && errno != EAGAIN) lose();
}

bool WaylandConnection::roundtrip() {
  if (!lost_ && wl_display_roundtrip(display_) < 0) lose();
  return !lost_;
}

void WaylandConnection::OnReadable(int /*fd*/, void* data) {
  auto& self = *static_cast<WaylandConnection*>(data);
  if (wl_display_dispatch(self.display_) < 0) self.lose();
  self.flush();  // what the events' handlers sent in answer
}

void WaylandConnection::OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                                 std::uint32_t version) {
  auto& self = *static_cast<WaylandConnection*>(data);
  self.globals_.push_back({name, interface, version});
  for (GlobalListener* listener : self.listeners_) listener->globalAdded(registry, name, interface, version);
}

void WaylandConnection::OnGlobalRemove(void* data, wl_registry* /*registry*/, std::uint32_t name) {
  auto& self = *static_cast<WaylandConnection*>(data);
  std::erase_if(self.globals_, [name](const Global& global) { return global.name == name; });
  for (GlobalListener* listener : self.listeners_) listener->globalRemoved(name);
}

void WaylandConnection::lose() {
  if (lost_) return;
  lost_ = true;
  // A hung-up socket stays readable: FLTK would call us without end.
  Fl::remove_fd(wl_display_get_fd(display_));
  const int error = wl_display_get_error(display_);
  std::fprintf(stderr, "lumio-capslock: the connection to the Wayland compositor is lost (%s)\n",
               error != 0 ? std::strerror(error) : "it went away");
  // A copy: a listener told may add or remove listeners.
  for (GlobalListener* listener : std::vector(listeners_)) listener->connectionLost();
}

}  // namespace lumio::wayland
