// A fresh folder under the system's temporary folder, removed with
// everything in it when this goes away.
#pragma once

#include <filesystem>
#include <string>

namespace lumio::testing {

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "lumio-test");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace lumio::testing
