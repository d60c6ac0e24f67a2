// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a chart to a file the user chose: the kinds of file the save
// dialogs offer, and what a save that failed says, in one text per cause.
// Nothing here asks whether to replace a file that exists: the toolkits'
// save dialogs ask that before they return its name. Each toolkit writes the
// chart to a new file beside the chosen one and puts it in its place only
// once it is whole, so that a save that fails leaves the old file as it was.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace cotalia {

enum class ChartFileFormat : std::uint8_t { Png, Svg };

struct ChartFileKind {
  std::string_view caption;    // the dialog's filter, pattern included
  std::string_view extension;  // without the point
  ChartFileFormat format;
  int scale;  // a PNG's pixels to a pixel of the window at 96 dpi; an SVG's is 1
};

// In the order the dialogs list them; the first is the one chosen at first.
inline constexpr std::array<ChartFileKind, 3> kChartFileKinds{{
    {"Imagen PNG (*.png)", "png", ChartFileFormat::Png, 1},
    {"Imagen PNG al doble de tamaño (*.png)", "png", ChartFileFormat::Png, 2},
    {"Dibujo SVG (*.svg)", "svg", ChartFileFormat::Svg, 1},
}};

// What a save says where the image could not be made (only a lack of memory
// keeps a toolkit from drawing or encoding it): nothing is written then.
inline constexpr std::string_view kChartNotDrawn =
    "No se pudo guardar el gráfico: no hay memoria para dibujarlo.";

// The title of the save dialog and of the message that a save failed.
inline constexpr std::string_view kSaveChartTitle = "Guardar gráfico como";

// The kind of file saved under that name with that filter chosen in the
// dialog: the name's extension decides where it names one of the kinds (a
// user who types "gráfico.svg" under the PNG filter wants an SVG), the
// filter where it names none or the filter's own (PNG at twice the size
// stays so under a name ending in ".png").
const ChartFileKind& ChartFileKindOf(std::string_view fileName, std::size_t chosenFilter);

// A path from UTF-8 text, whatever the system's code page: std::filesystem
// reads a plain std::string in Windows' ANSI code page, which loses any
// letter outside it ("图表.svg").
std::filesystem::path PathOfUtf8(std::string_view utf8);

// Why a file could not be saved, as the user is told it.
enum class SaveFailure : std::uint8_t {
  NoRoom,        // the disk, or the user's share of it, is full
  NoPermission,  // a read-only disk too
  NoFolder,      // a folder on the way does not exist, or is a file
  Other,
};

// The message in Spanish that names the file as the user wrote it (its
// name, or the whole path where it ends in no name) and says why it could
// not be saved. Never throws: short of memory, a message that needs none.
std::string SaveFailureMessage(const std::filesystem::path& path, SaveFailure failure);

}  // namespace cotalia
