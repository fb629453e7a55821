#include "fakes/standard_list_files.h"

#include <system_error>

#include "seam/failure.h"

namespace lumio::fakes {

void StandardListFiles::openForReading(const std::filesystem::path& file) {
  close();
  openedFine_ = false;
  changed_ = false;
  std::error_code ec;
  const auto status = std::filesystem::status(file, ec);
  if (status.type() == std::filesystem::file_type::not_found) {
    if (std::filesystem::symlink_status(file, ec).type() == std::filesystem::file_type::symlink)
      throw failures::PathFileAccessError();
    throw failures::FileNotFound();
  }
  if (status.type() != std::filesystem::file_type::regular) throw failures::PathFileAccessError();
  in_.rdbuf()->pubsetbuf(nullptr, 0);  // unbuffered: a warm pass allocates nothing
  in_.open(file, std::ios::binary);
  if (!in_.is_open()) throw failures::PermissionDenied();
  ++opens;
  openedFine_ = true;
}

std::size_t StandardListFiles::read(char* buffer, std::size_t size) {
  if (!in_.is_open()) return 0;
  in_.read(buffer, static_cast<std::streamsize>(size));
  if (in_.bad()) throw failures::DeviceIoError();
  return static_cast<std::size_t>(in_.gcount());
}

void StandardListFiles::close() noexcept {
  if (!in_.is_open()) return;
  in_.close();
  in_.clear();
  ++closes;
}

bool StandardListFiles::createNew(const std::filesystem::path& file, std::string_view bytes) {
  std::error_code ec;
  if (std::filesystem::symlink_status(file, ec).type() != std::filesystem::file_type::not_found) return false;
  std::ofstream out(file, std::ios::binary);
  if (!out.is_open()) throw failures::PathFileAccessError();
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  markChanged();
  if (out.fail()) throw failures::DeviceIoError();
  return true;
}

void StandardListFiles::markChanged() {
  changed_ = true;
  if (canTell && onChange_) onChange_();
}

}  // namespace lumio::fakes
