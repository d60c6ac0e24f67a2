// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the worked example's distribution chart (100, 10, 20, 12 at 95 %
// with a target of 130, on the linear axis, 640 by 400) as SVG to the file
// given, so that scripts/test-windows can compare what the Windows build
// writes under Wine with what Linux writes, byte for byte.
#include <cstdio>
#include <fstream>
#include <string>

#include "window/charts/chart_svg.h"
#include "window/distribution/distribution_view.h"
#include "window/exports/chart_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: cotalia_chart_svg FILE.svg\n", stderr);
    return 2;
  }
  const cotalia::DistributionView view = cotalia::ViewOf({{"100", "10", "20", "12"}, "95", "130"});
  const cotalia::ChartArea area = cotalia::SvgArea(640, 400);
  const std::string svg =
      cotalia::SvgOf(cotalia::DrawChart(view, area, cotalia::SvgTextWidth(cotalia::kSvgFontPixels), false),
                     area, view.description);
  // Bytes as they are: no line end changed on Windows.
  std::ofstream file(cotalia::PathOfUtf8(argv[1]), std::ios::binary);
  file << svg;
  file.close();
  if (!file) {
    std::fprintf(stderr, "could not write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
