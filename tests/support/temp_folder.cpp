#include "support/temp_folder.h"

#include <random>
#include <stdexcept>
#include <system_error>

namespace lumio::testing {

TempFolder::TempFolder(const std::string& prefix) {
  std::random_device entropy;
  std::mt19937_64 random(entropy());
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(random() % 1000000000));
    if (std::filesystem::create_directory(path_)) {  // false: it was there already
      // Private, as a runtime folder must be.
      std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder under " + std::filesystem::temp_directory_path().string());
}

TempFolder::~TempFolder() {
  std::error_code ec;
  // A test may have taken its own write access away; give it back first.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

}  // namespace lumio::testing
