// Tells whether another instance of the program is already running for this
// user (and display). The first caller holds the claim until it exits.
#pragma once

namespace lumio {

class InstanceGuard {
 public:
  virtual ~InstanceGuard() = default;
  virtual bool anotherInstanceRunning() = 0;
};

}  // namespace lumio
