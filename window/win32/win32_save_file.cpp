// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/win32/win32_save_file.h"

#include <windows.h>

#include <algorithm>

#include "window/exports/chart_file.h"

namespace cotalia {

namespace {

SaveFailure FailureOf(DWORD error) {
  switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return SaveFailure::NoRoom;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:  // a file another program holds open
      return SaveFailure::NoPermission;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_DIRECTORY:
      return SaveFailure::NoFolder;
    default:
      return SaveFailure::Other;
  }
}

// A new file beside `path`, named after it and this process, which no other
// save takes: none, with the system's error, where none can be made.
HANDLE CreateNewFileBeside(const std::filesystem::path& path, std::wstring& name, DWORD& error) {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    name = path.native() + L".cotalia-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(attempt) + L".tmp";
    HANDLE file =
        CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

// Every byte written and on the disk; the system's error where not.
DWORD WriteWhole(HANDLE file, std::string_view bytes) {
  constexpr std::size_t kMostAtOnce = 1 << 30;
  for (std::size_t at = 0; at < bytes.size();) {
    const auto size = static_cast<DWORD>(std::min(bytes.size() - at, kMostAtOnce));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + at, size, &written, nullptr)) return GetLastError();
    at += written;
  }
  if (!FlushFileBuffers(file)) return GetLastError();
  return ERROR_SUCCESS;
}

}  // namespace

std::optional<std::string> Win32SaveFileWhole(const std::filesystem::path& path, std::string_view bytes) {
  std::wstring temporary;
  DWORD error = ERROR_SUCCESS;
  HANDLE file = CreateNewFileBeside(path, temporary, error);
  if (file == INVALID_HANDLE_VALUE) return SaveFailureMessage(path, FailureOf(error));
  error = WriteWhole(file, bytes);
  if (!CloseHandle(file) && error == ERROR_SUCCESS) error = GetLastError();
  if (error == ERROR_SUCCESS &&
      !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error == ERROR_SUCCESS) return std::nullopt;
  DeleteFileW(temporary.c_str());
  return SaveFailureMessage(path, FailureOf(error));
}

}  // namespace cotalia
