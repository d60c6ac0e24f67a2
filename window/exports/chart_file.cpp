// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/exports/chart_file.h"

#include <algorithm>
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

std::string MessageOf(const std::filesystem::path& path, SaveFailure failure) {
  const std::string name = NameOf(path);
  std::string message = "No se pudo guardar ";
  message += name.empty() ? "el archivo" : "«" + name + "»";
  switch (failure) {
    case SaveFailure::NoRoom:
      return message + ": no queda espacio en el disco.";
    case SaveFailure::NoPermission:
      return message + ": no hay permiso para escribir ahí.";
    case SaveFailure::NoFolder:
      return message + ": la carpeta no existe.";
    case SaveFailure::Other:
      break;
  }
  return message + ".";
}

}  // namespace

std::filesystem::path PathOfUtf8(std::string_view utf8) { return {std::u8string(utf8.begin(), utf8.end())}; }

std::string SaveFailureMessage(const std::filesystem::path& path, SaveFailure failure) {
  try {
    return MessageOf(path, failure);
  } catch (const std::exception&) {
    // Short enough to be held in the string itself, without memory.
    return std::string("Sin memoria.");
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
