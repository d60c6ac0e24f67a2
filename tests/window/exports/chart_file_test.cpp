// SPDX-License-Identifier: GPL-3.0-or-later
// The kinds of chart file, and what a save that failed says.
#include "window/exports/chart_file.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

namespace cotalia {
namespace {

TEST(ChartFileKinds, CaptionsExtensionsAndScales) {
  ASSERT_EQ(kChartFileKinds.size(), 3u);
  std::set<std::string_view> captions;
  for (const ChartFileKind& kind : kChartFileKinds) {
    // The dialogs' filter: the caption ends in the extension's pattern.
    const std::string pattern = "(*." + std::string(kind.extension) + ")";
    EXPECT_TRUE(kind.caption.ends_with(pattern)) << kind.caption;
    EXPECT_EQ(kind.extension, kind.format == ChartFileFormat::Svg ? "svg" : "png") << kind.caption;
    captions.insert(kind.caption);
  }
  EXPECT_EQ(captions.size(), kChartFileKinds.size());
  EXPECT_EQ(kChartFileKinds[0].scale, 1);
  EXPECT_EQ(kChartFileKinds[1].scale, 2);
  EXPECT_EQ(kChartFileKinds[2].format, ChartFileFormat::Svg);
}

// The kind a saved file gets: by the extension its name ends in, whatever
// its case, else by the filter; the filter's own where both say PNG.
TEST(ChartFileKindOf, TheNameDecidesWhereItNamesAKind) {
  const struct {
    std::string_view name;
    std::size_t filter;
    std::size_t kind;  // index in kChartFileKinds
  } rows[] = {
      {"gráfico.png", 0, 0},
      {"gráfico.png", 1, 1},           // twice the size, as chosen
      {"gráfico.svg", 0, 2},           // the name says SVG
      {"gráfico.SVG", 1, 2},           // in any case
      {"gráfico.PNG", 2, 0},           // the name says PNG, the filter SVG: a PNG at the window's size
      {"gráfico", 1, 1},               // no extension: the filter's
      {"gráfico.jpg", 2, 2},           // an extension of no kind: the filter's
      {"carpeta.svg/gráfico", 0, 0},   // a point in a folder's name is no extension
      {"carpeta.svg\\gráfico", 1, 1},  // nor in a Windows folder's
      {"gráfico.", 2, 2},
      {"gráfico.svg", 99, 2},  // a filter beyond the list: the last kind's
      {"gráfico", 99, 2},
      // A name without a point that spells a kind's extension has none.
      {"svg", 0, 0},
      {"png", 2, 2},
      // A folder before a name with its extension.
      {"carpeta/gráfico.svg", 0, 2},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(&ChartFileKindOf(row.name, row.filter), &kChartFileKinds[row.kind])
        << row.name << " under filter " << row.filter;
  }
}

// One text per cause, naming the file by its name as the user wrote it, in
// any script, or by its whole path where it ends in no name.
TEST(SaveFailureMessage, NamesTheFileAndTheCause) {
  const struct {
    const char* path;
    SaveFailure failure;
    const char* message;
  } rows[] = {
      {"carpeta/gráfico.png", SaveFailure::NoRoom,
       "No se pudo guardar «gráfico.png»: no queda espacio en el disco."},
      {"图表.svg", SaveFailure::NoPermission,
       "No se pudo guardar «图表.svg»: no hay permiso para escribir ahí."},
      {"нет/график.svg", SaveFailure::NoFolder, "No se pudo guardar «график.svg»: la carpeta no existe."},
      {"gráfico €.svg", SaveFailure::Other, "No se pudo guardar «gráfico €.svg»."},
      {"carpeta/", SaveFailure::Other, "No se pudo guardar «carpeta/»."},
      {"", SaveFailure::NoRoom, "No se pudo guardar el archivo: no queda espacio en el disco."},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(SaveFailureMessage(PathOfUtf8(row.path), row.failure), row.message) << row.path;
  }
}

}  // namespace
}  // namespace cotalia
