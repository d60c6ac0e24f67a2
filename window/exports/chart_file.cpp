// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/exports/chart_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <system_error>

namespace cotalia {

namespace {

std::string Utf8Of(const std::u8string& text) { return {text.begin(), text.end()}; }

// The file's name as the user typed it, in UTF-8 on every platform (a
// Windows path holds UTF-16, which u8string() converts); the whole path where
// it ends in no name; nothing where it cannot be converted (a lone
// surrogate in a Windows name).
std::string NameOf(const std::filesystem::path& path) {
  try {
    return Utf8Of(path.has_filename() ? path.filename().u8string() : path.u8string());
  } catch (const std::system_error&) {
    return {};
  }
}

std::string MessageOf(const std::filesystem::path& path, int cause) {
  const std::string name = NameOf(path);
  std::string message = "No se pudo guardar ";
  message += name.empty() ? "el archivo" : "«" + name + "»";
  switch (cause) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:  // the user's share of the disk, which to the user is the same
#endif
      return message + ": no queda espacio en el disco.";
    case EACCES:
    case EPERM:
    case EROFS:
      return message + ": no hay permiso para escribir ahí.";
    case ENOENT:
    case ENOTDIR:  // a folder on the way is a file
      return message + ": la carpeta no existe.";
    default:
      return message + ".";
  }
}

std::FILE* OpenForWriting(const std::filesystem::path& path) {
#ifdef _WIN32
  // The wide name: fopen would read it in the ANSI code page.
  return _wfopen(path.c_str(), L"wb");
#else
  return std::fopen(path.c_str(), "wb");
#endif
}

// The file opened and truncated but not written whole. Only a regular file:
// a device such as /dev/full stays.
void RemovePartial(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::is_regular_file(path, error)) std::filesystem::remove(path, error);
}

std::optional<std::string> Save(const std::filesystem::path& path, std::string_view bytes) {
  errno = 0;
  std::FILE* file = OpenForWriting(path);
  if (file == nullptr) return MessageOf(path, errno);
  // Each cause read as soon as its call fails, before another call can
  // change errno.
  bool failed = false;
  int cause = 0;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    failed = true;
    cause = errno;
  }
  // Flushed apart from the closing, so that what the disk refuses at the
  // last buffer is told as such.
  if (!failed && std::fflush(file) != 0) {
    failed = true;
    cause = errno;
  }
  if (std::fclose(file) != 0 && !failed) {
    failed = true;
    cause = errno;
  }
  if (!failed) return std::nullopt;
  RemovePartial(path);
  return MessageOf(path, cause);
}

}  // namespace

std::filesystem::path PathOfUtf8(std::string_view utf8) { return {std::u8string(utf8.begin(), utf8.end())}; }

std::optional<std::string> SaveBytes(const std::filesystem::path& path, std::string_view bytes) {
  // The file is closed before anything that can throw (the message's
  // strings): what is caught here has left no file open.
  try {
    return Save(path, bytes);
  } catch (const std::exception&) {
    try {
      return MessageOf({}, 0);
    } catch (const std::exception&) {
      // Short enough to be held in the string itself, without memory.
      return std::string("Sin memoria.");
    }
  }
}

const ChartFileKind& ChartFileKindOf(std::string_view fileName, std::size_t chosenFilter) {
  const ChartFileKind& chosen = kChartFileKinds[std::min(chosenFilter, kChartFileKinds.size() - 1)];
  const std::size_t point = fileName.rfind('.');
  const std::size_t slash = fileName.find_last_of("/\\");
  if (point == std::string_view::npos || (slash != std::string_view::npos && point < slash)) return chosen;
  std::string extension;
  for (const char c : fileName.substr(point + 1)) {
    extension += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  if (extension == chosen.extension) return chosen;
  for (const ChartFileKind& kind : kChartFileKinds) {
    if (extension == kind.extension) return kind;
  }
  return chosen;
}

}  // namespace cotalia
