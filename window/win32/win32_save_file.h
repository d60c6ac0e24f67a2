// SPDX-License-Identifier: GPL-3.0-or-later
// A chart's file saved on Windows so that the file the user chose is
// replaced whole or not at all.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace cotalia {

// Writes `bytes` to a new file in the folder of `path`, flushes it to the
// disk, and only then moves it over `path` (MoveFileExW, replacing what was
// there, written through). A failure at any step removes the new file and
// leaves `path` as it was, byte for byte. Returns none once saved, or the
// message that says why not.
std::optional<std::string> Win32SaveFileWhole(const std::filesystem::path& path, std::string_view bytes);

}  // namespace cotalia
