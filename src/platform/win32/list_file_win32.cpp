#include "platform/win32/list_file_win32.h"

#include "seam/failure.h"

namespace lumio::win32 {

Win32ListFiles::~Win32ListFiles() { close(); }

void Win32ListFiles::openForReading(const std::filesystem::path& file) {
  close();
  watch_.opening(file);
  // Others may go on editing or replacing the file while we read it.
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      // A link that leads nowhere is there all the same.
      if (attributes != INVALID_FILE_ATTRIBUTES) throw failures::PathFileAccessError();
      throw failures::FileNotFound();
    }
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      throw failures::PermissionDenied();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) throw failures::PermissionDenied();
    throw failures::PathFileAccessError();  // a folder, a device name, anything else
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    CloseHandle(handle);
    throw failures::PathFileAccessError();
  }
  file_ = handle;
  watch_.opened(file, info);
}

std::size_t Win32ListFiles::read(char* buffer, std::size_t size) {
  if (file_ == INVALID_HANDLE_VALUE) return 0;
  DWORD got = 0;
  const DWORD want = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
  if (!ReadFile(file_, buffer, want, &got, nullptr)) throw failures::DeviceIoError();
  return got;
}

void Win32ListFiles::close() noexcept {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

bool Win32ListFiles::createNew(const std::filesystem::path& file, std::string_view bytes) {
  // CREATE_NEW fails on anything already there; with the reparse flag a
  // link in the way counts as there rather than being followed.
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return false;
    throw failures::PathFileAccessError();
  }
  DWORD written = 0;
  const bool wrote = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size();
  const bool closed = CloseHandle(handle) != 0;
  if (!wrote || !closed) {
    DeleteFileW(file.c_str());  // ours, and only half there: a later pass tries again
    throw failures::DeviceIoError();
  }
  return true;
}

}  // namespace lumio::win32
