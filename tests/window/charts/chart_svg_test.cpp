// SPDX-License-Identifier: GPL-3.0-or-later
// Charts written as SVG: the measure of their labels, the numbers, each
// shape and label as its element, and the worked example's chart as Debian's
// own SVG renderer and XML parser read it.
#include "window/charts/chart_svg.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "window/distribution/distribution_view.h"

namespace cotalia {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Helvetica's advances (thousandths of an em) summed by hand from Adobe's
// metrics, at a 12 px font unless said.
TEST(SvgTextWidth, HelveticaAdvancesForEachCodePoint) {
  const struct {
    const char* text;
    double fontPixels;
    double thousandths;
  } rows[] = {
      {"", 12, 0},
      {"100", 12, 3 * 556},
      {"100", 24, 3 * 556},
      {"Mediana", 12, 833 + 556 + 556 + 222 + 556 + 556 + 556},
      {"Precio esperado", 12,
       667 + 333 + 556 + 500 + 222 + 556 + 278 + 556 + 500 + 556 + 556 + 333 + 556 + 556 + 556},
      {"W@i|'`", 12, 944 + 1015 + 222 + 260 + 191 + 333},
      {" ~", 12, 278 + 584},
      // One fixed advance to a code point, however many bytes it takes.
      {"Ñ", 12, 556},
      {"€", 12, 556},
      {"图表", 12, 2 * 556},
      {"Año", 12, 667 + 556 + 556},
      // Each byte that is not UTF-8 on its own, and a control character.
      {"\xFF\xFE", 12, 2 * 556},
      {"\xE2\x82", 12, 2 * 556},
      {"\t", 12, 556},
      // The lowest lead bytes of three and four bytes: Devanagari's "अ"
      // (E0 A4 85) and an emoji (F0 9F 93 88) are one code point each.
      {"अ", 12, 556},
      {"📈", 12, 556},
      // The highest lead byte of four (U+10FFFF), and one above it whose
      // bytes would otherwise make U+10000: four bytes of no code point.
      {"\xF4\x8F\xBF\xBF", 12, 556},
      {"\xF8\x90\x80\x80", 12, 4 * 556},
      // A lead byte followed by no continuation takes one byte: the letter
      // after it is read as itself.
      {"\xC3"
       "A",
       12, 556 + 667},
      // Every printable ASCII character, sixteen to a row, each by its own
      // advance in Adobe's metrics.
      {" !\"#$%&'()*+,-./", 12,
       278 + 278 + 355 + 556 + 556 + 889 + 667 + 191 + 333 + 333 + 389 + 584 + 278 + 333 + 278 + 278},
      {"0123456789:;<=>?", 12,
       556 + 556 + 556 + 556 + 556 + 556 + 556 + 556 + 556 + 556 + 278 + 278 + 584 + 584 + 584 + 556},
      {"@ABCDEFGHIJKLMNO", 12,
       1015 + 667 + 667 + 722 + 722 + 667 + 611 + 778 + 722 + 278 + 500 + 667 + 556 + 833 + 722 + 778},
      {"PQRSTUVWXYZ[\\]^_", 12,
       667 + 778 + 722 + 667 + 611 + 722 + 667 + 944 + 667 + 667 + 611 + 278 + 278 + 278 + 469 + 556},
      {"`abcdefghijklmno", 12,
       333 + 556 + 556 + 500 + 556 + 556 + 278 + 556 + 556 + 222 + 222 + 500 + 222 + 833 + 556 + 556},
      {"pqrstuvwxyz{|}~", 12,
       556 + 556 + 333 + 500 + 278 + 556 + 500 + 722 + 500 + 500 + 500 + 334 + 260 + 334 + 584},
  };
  for (const auto& row : rows) {
    EXPECT_DOUBLE_EQ(SvgTextWidth(row.fontPixels)(row.text), row.thousandths * row.fontPixels / 1000)
        << row.text;
  }
  // A sequence cut short by the end of the text, after a letter, is two
  // bytes of no code point, whatever follows the text in memory (here the
  // rest of "€").
  EXPECT_DOUBLE_EQ(SvgTextWidth(12)(std::string_view("a\xE2\x82\xAC", 3)), (556 + 2 * 556) * 12.0 / 1000);
}

TEST(SvgNumber, TwoPlacesNoTrailingZerosNeverMinusZero) {
  const struct {
    double value;
    int decimals;
    const char* text;
  } rows[] = {
      {0.5, 2, "0.5"},
      {12, 2, "12"},
      {100, 2, "100"},
      {-2.5, 2, "-2.5"},
      {3.14159, 2, "3.14"},
      {0.999, 2, "1"},
      {-0.996, 2, "-1"},
      {1234567.891, 2, "1234567.89"},
      {0, 2, "0"},
      {-0.0, 2, "0"},
      {-0.001, 2, "0"},
      {-0.004, 2, "0"},
      {1e-9, 2, "0"},
      {1e21, 2, "1000000000000000000000"},
      {90.0 / 255, 3, "0.353"},
      {-0.0004, 3, "0"},
      {kNaN, 2, "0"},
      {kInfinity, 2, "0"},
      {-kInfinity, 2, "0"},
  };
  for (const auto& row : rows) EXPECT_EQ(SvgNumber(row.value, row.decimals), row.text) << row.value;
  // The largest double in full, without a cut.
  EXPECT_EQ(SvgNumber(std::numeric_limits<double>::max()).size(), 309u);
}

const std::string kGround = "fill=\"white\"/>\n";

// What follows the white ground: the shapes' and labels' elements.
std::string BodyOf(const std::string& svg) {
  const std::size_t start = svg.find(kGround);
  const std::size_t end = svg.rfind("</svg>\n");
  if (start == std::string::npos || end == std::string::npos || end < start) return "(no body)";
  return svg.substr(start + kGround.size(), end - start - kGround.size());
}

const ChartArea kArea{200, 100, 16};

std::string BodyOf(const Shape& shape) { return BodyOf(SvgOf({{shape}, {}, {}}, kArea, "")); }

std::string BodyOf(const Label& label) { return BodyOf(SvgOf({{}, {label}, {}}, kArea, "")); }

TEST(SvgOf, TheDocumentAndItsSize) {
  const std::string svg = SvgOf({}, {640, 400.5, 16}, "Gráfico");
  EXPECT_EQ(svg,
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
            "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" "
            "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"640px\" height=\"400.5px\" "
            "viewBox=\"0 0 640 400.5\">\n"
            "<title>Gráfico</title>\n"
            "<rect width=\"640\" height=\"400.5\" fill=\"white\"/>\n"
            "</svg>\n");
  // A size that is no size is none, never a negative or "nan" one.
  const std::string none = SvgOf({}, {-5, kNaN, 16}, "");
  EXPECT_NE(none.find("width=\"0px\" height=\"0px\" viewBox=\"0 0 0 0\""), std::string::npos) << none;
}

TEST(SvgOf, EachShapeAsItsElement) {
  const struct {
    Shape shape;
    const char* element;
  } rows[] = {
      {{Ink::Band, ShapeKind::Area, 0, {{0, 0}, {10, 0}, {10, 5.5}}},
       "<polygon points=\"0,0 10,0 10,5.5\" fill=\"rgb(86,180,233)\" fill-opacity=\"0.353\" "
       "fill-rule=\"evenodd\"/>\n"},
      {{Ink::Median, ShapeKind::Line, 2, {{0.5, 1}, {2.25, 3.126}, {-0.001, 7}}},
       "<polyline points=\"0.5,1 2.25,3.13 0,7\" fill=\"none\" stroke=\"rgb(0,158,115)\" stroke-width=\"2\" "
       "stroke-linecap=\"square\" stroke-linejoin=\"round\"/>\n"},
      // A pen of no width draws a hairline, as on the screen.
      {{Ink::Grid, ShapeKind::Line, 0, {{0, 0}, {1, 1}}},
       "<polyline points=\"0,0 1,1\" fill=\"none\" stroke=\"rgb(215,215,215)\" stroke-width=\"1\" "
       "stroke-linecap=\"square\" stroke-linejoin=\"round\"/>\n"},
      {{Ink::Start, ShapeKind::Dot, 4, {{4, 5}}},
       "<circle cx=\"4\" cy=\"5\" r=\"4\" fill=\"rgb(0,0,0)\"/>\n"},
      {{Ink::Target, ShapeKind::Dot, 2.5, {{-3, 100.25}}},
       "<circle cx=\"-3\" cy=\"100.25\" r=\"2.5\" fill=\"rgb(213,94,0)\"/>\n"},
  };
  for (const auto& row : rows) EXPECT_EQ(BodyOf(row.shape), row.element);
  // In the drawing's order, the labels after every shape.
  const std::string body =
      BodyOf(SvgOf({{rows[3].shape, rows[0].shape, rows[1].shape}, {{"a", {0, 0}, 5}}, {}}, kArea, ""));
  const std::size_t circle = body.find("<circle");
  const std::size_t polygon = body.find("<polygon");
  const std::size_t polyline = body.find("<polyline");
  const std::size_t text = body.find("<text");
  EXPECT_LT(circle, polygon);
  EXPECT_LT(polygon, polyline);
  EXPECT_LT(polyline, text);
  EXPECT_NE(text, std::string::npos);
}

// Every ink in its own colour, in every kind of shape and in text, see-through
// where it is.
TEST(SvgOf, EveryInkInItsColour) {
  const Ink inks[] = {Ink::Band, Ink::Median, Ink::Expected, Ink::Target,  Ink::Start,
                      Ink::Axis, Ink::Grid,   Ink::Text,     Ink::Reading, Ink::Range};
  const struct {
    ShapeKind kind;
    const char* property;
  } kinds[] = {{ShapeKind::Area, "fill"}, {ShapeKind::Line, "stroke"}, {ShapeKind::Dot, "fill"}};
  for (const Ink ink : inks) {
    const Colour colour = ColourOf(ink);
    const auto paint = [&](const std::string& property) {
      return " " + property + "=\"rgb(" + std::to_string(colour.red) + "," + std::to_string(colour.green) +
             "," + std::to_string(colour.blue) + ")\"";
    };
    std::vector<std::string> bodies;
    std::vector<std::string> properties;
    for (const auto& kind : kinds) {
      bodies.push_back(BodyOf(Shape{ink, kind.kind, 2, {{1, 1}, {5, 1}, {5, 5}}}));
      properties.emplace_back(kind.property);
    }
    bodies.push_back(BodyOf(Label{"x", {1, 1}, 5, ink}));
    properties.emplace_back("fill");
    for (std::size_t i = 0; i < bodies.size(); ++i) {
      const std::string& body = bodies[i];
      SCOPED_TRACE(body);
      EXPECT_NE(body.find(paint(properties[i])), std::string::npos);
      const std::size_t opacity = body.find(properties[i] + "-opacity=\"");
      if (colour.alpha == 255) {
        EXPECT_EQ(body.find("opacity"), std::string::npos);
      } else {
        ASSERT_NE(opacity, std::string::npos);
        const double written = std::stod(body.substr(opacity + properties[i].size() + 10));
        EXPECT_EQ(std::lround(written * 255), colour.alpha);
      }
    }
  }
}

// The text's baseline below its top-left corner: the line's leading shared
// above and below Arial's ascent and descent, at 12 px in a 16 px line.
TEST(SvgOf, ALabelIsTextFromItsCorner) {
  EXPECT_EQ(BodyOf(Label{"Precio", {10, 20}, 35}),
            "<text x=\"10\" y=\"32.16\" font-family=\"sans-serif\" font-size=\"12\" fill=\"rgb(30,30,30)\" "
            "xml:space=\"preserve\">Precio</text>\n");
  // A larger line (a window at 150 %) scales the font and the baseline.
  const std::string large = BodyOf(SvgOf({{}, {{"Precio", {10, 20}, 35}}, {}}, {300, 200, 24}, ""));
  EXPECT_NE(large.find("y=\"38.24\" font-family=\"sans-serif\" font-size=\"18\""), std::string::npos)
      << large;
}

std::string ContentOf(const std::string& element) {
  const std::size_t open = element.find('>');
  const std::size_t close = element.rfind("</");
  if (open == std::string::npos || close == std::string::npos || close < open) return "(no content)";
  return element.substr(open + 1, close - open - 1);
}

TEST(SvgOf, LabelsAndTitleAreEscapedUtf8) {
  const struct {
    const char* text;
    const char* written;
  } rows[] = {
      {"Banda & mediana", "Banda &amp; mediana"},
      {"<b>95 %</b>", "&lt;b&gt;95 %&lt;/b&gt;"},
      {"AÑO ñ € 图表 график", "AÑO ñ € 图表 график"},
      {"\"comillas\" y 'apóstrofos'", "\"comillas\" y 'apóstrofos'"},
      {"dos  espacios", "dos  espacios"},
      // What XML cannot hold, replaced: bytes that are not UTF-8 (a lone
      // byte, a cut sequence, an overlong "/", a surrogate) and control
      // characters.
      {"a\xFF"
       "b",
       "a\uFFFDb"},
      {"\xE2\x82", "\uFFFD\uFFFD"},
      {"\xC0\xAF", "\uFFFD\uFFFD"},
      {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},
      {"bell\x07", "bell\uFFFD"},
      {"\xEF\xBF\xBE", "\uFFFD"},
  };
  for (const auto& row : rows) {
    const std::string body = BodyOf(Label{row.text, {0, 0}, 10});
    EXPECT_EQ(ContentOf(body), row.written) << body;
    const std::string svg = SvgOf({}, kArea, row.text);
    const std::size_t title = svg.find("<title>");
    ASSERT_NE(title, std::string::npos);
    EXPECT_EQ(ContentOf(svg.substr(title, svg.find('\n', title) - title)), row.written) << svg;
  }
}

// Points that are not finite are left out, and what is left too few to draw
// is no element at all: never "nan" or "inf" in the file.
TEST(SvgOf, PointsThatAreNotFiniteAreLeftOut) {
  const struct {
    const char* name;
    ChartDrawing drawing;
    const char* body;
  } rows[] = {
      {"an area's point",
       {{{Ink::Band, ShapeKind::Area, 0, {{0, 0}, {kNaN, 1}, {10, 0}, {10, 5}}}}, {}, {}},
       "<polygon points=\"0,0 10,0 10,5\" fill=\"rgb(86,180,233)\" fill-opacity=\"0.353\" "
       "fill-rule=\"evenodd\"/>\n"},
      {"an area left with two points",
       {{{Ink::Band, ShapeKind::Area, 0, {{0, 0}, {kInfinity, 1}, {10, 0}}}}, {}, {}},
       ""},
      {"a line's point",
       {{{Ink::Median, ShapeKind::Line, 1, {{0, 0}, {1, kNaN}, {2, 2}}}}, {}, {}},
       "<polyline points=\"0,0 2,2\" fill=\"none\" stroke=\"rgb(0,158,115)\" stroke-width=\"1\" "
       "stroke-linecap=\"square\" stroke-linejoin=\"round\"/>\n"},
      {"a line left with one point",
       {{{Ink::Median, ShapeKind::Line, 1, {{0, 0}, {kNaN, kNaN}}}}, {}, {}},
       ""},
      {"a line of no points", {{{Ink::Median, ShapeKind::Line, 1, {}}}, {}, {}}, ""},
      {"a pen of infinite width",
       {{{Ink::Median, ShapeKind::Line, kInfinity, {{0, 0}, {1, 1}}}}, {}, {}},
       ""},
      {"a dot's centre", {{{Ink::Start, ShapeKind::Dot, 4, {{kNaN, 1}}}}, {}, {}}, ""},
      {"a dot's radius", {{{Ink::Start, ShapeKind::Dot, kNaN, {{1, 1}}}}, {}, {}}, ""},
      {"a dot of no point", {{{Ink::Start, ShapeKind::Dot, 4, {}}}, {}, {}}, ""},
      {"a label's corner", {{}, {{"130", {-kInfinity, 4}, 20}}, {}}, ""},
      {"an empty label", {{}, {{"", {1, 4}, 0}}, {}}, ""},
  };
  const std::regex notANumber("nan|inf", std::regex::icase);
  for (const auto& row : rows) {
    const std::string svg = SvgOf(row.drawing, kArea, "");
    EXPECT_EQ(BodyOf(svg), row.body) << row.name;
    EXPECT_FALSE(std::regex_search(svg, notANumber)) << row.name;
  }
}

const DistributionTexts kWorked{"100", "10", "20", "12"};

struct WorkedChart {
  DistributionView view;
  ChartDrawing drawing;
  std::string svg;
};

// The worked example's distribution chart at 95 % with a target of 130, on
// the linear axis, as cotalia_chart_svg writes it.
WorkedChart WorkedExample() {
  WorkedChart chart{ViewOf({kWorked, "95", "130"}), {}, {}};
  const ChartArea area = SvgArea(640, 400);
  chart.drawing = DrawChart(chart.view, area, SvgTextWidth(kSvgFontPixels), false);
  chart.svg = SvgOf(chart.drawing, area, chart.view.description);
  return chart;
}

std::size_t Occurrences(const std::string& text, const std::string& of) {
  std::size_t count = 0;
  for (std::size_t at = text.find(of); at != std::string::npos; at = text.find(of, at + 1)) ++count;
  return count;
}

TEST(SvgOf, TheWorkedExamplesChartElementByElement) {
  const WorkedChart chart = WorkedExample();
  ASSERT_GT(chart.drawing.shapes.size(), 5u);
  ASSERT_GT(chart.drawing.labels.size(), 5u);
  EXPECT_EQ(chart.svg, WorkedExample().svg);
  std::size_t areas = 0;
  std::size_t lines = 0;
  std::size_t dots = 0;
  for (const Shape& shape : chart.drawing.shapes) {
    areas += shape.kind == ShapeKind::Area ? 1 : 0;
    lines += shape.kind == ShapeKind::Line ? 1 : 0;
    dots += shape.kind == ShapeKind::Dot ? 1 : 0;
  }
  EXPECT_EQ(Occurrences(chart.svg, "<polygon "), areas);
  EXPECT_EQ(Occurrences(chart.svg, "<polyline "), lines);
  EXPECT_EQ(Occurrences(chart.svg, "<circle "), dots);
  EXPECT_EQ(Occurrences(chart.svg, "<text "), chart.drawing.labels.size());
  EXPECT_NE(chart.svg.find("<title>" + chart.view.description + "</title>"), std::string::npos);
  for (const Label& label : chart.drawing.labels) {
    EXPECT_NE(chart.svg.find("xml:space=\"preserve\">" + label.text + "</text>"), std::string::npos)
        << label.text;
  }
  // A minus sign only before a digit other than a lone zero.
  EXPECT_FALSE(std::regex_search(chart.svg, std::regex("-0(?![.0-9])"))) << chart.svg;
  EXPECT_FALSE(std::regex_search(chart.svg, std::regex("nan|inf", std::regex::icase)));
}

// A folder of the test's own under the system's temporary folder, removed
// with what it holds.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = std::filesystem::temp_directory_path() / ("cotalia-svg-" + std::to_string(random()));
      if (std::filesystem::create_directory(path_)) return;
    }
    throw std::runtime_error("no temporary folder could be made");
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string Contents(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

std::uint32_t BigEndianAt(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// What Debian's tools make of the file: rsvg-convert renders it at its size,
// and xmllint parses it (there is no SVG 1.1 DTD under /usr/share/xml to
// validate it against offline) and finds in it what was drawn.
TEST(SvgOf, TheWorkedExamplesChartRendersAndParses) {
  if (Shell("command -v rsvg-convert >/dev/null 2>&1 && command -v xmllint >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "rsvg-convert (librsvg2-bin) or xmllint (libxml2-utils) is not on a POSIX shell's path";
  }
  const WorkedChart chart = WorkedExample();
  const TemporaryFolder folder;
  const std::filesystem::path svg = folder.path() / "chart.svg";
  const std::filesystem::path png = folder.path() / "chart.png";
  const std::filesystem::path answer = folder.path() / "answer.txt";
  {
    std::ofstream file(svg, std::ios::binary);
    file << chart.svg;
  }
  ASSERT_EQ(Shell("rsvg-convert --format=png --output=" + Quoted(png) + " " + Quoted(svg)), 0);
  const std::string image = Contents(png);
  ASSERT_GE(image.size(), 24u);
  EXPECT_EQ(image.substr(0, 8), "\x89PNG\r\n\x1A\n");
  EXPECT_EQ(image.substr(12, 4), "IHDR");
  EXPECT_EQ(BigEndianAt(image, 16), 640u);
  EXPECT_EQ(BigEndianAt(image, 20), 400u);

  EXPECT_EQ(Shell("xmllint --noout " + Quoted(svg)), 0);
  const auto query = [&](const std::string& path) {
    if (Shell("xmllint --xpath \"" + path + "\" " + Quoted(svg) + " >" + Quoted(answer)) != 0)
      return std::string();
    std::string text = Contents(answer);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  };
  EXPECT_EQ(query("count(/*[local-name()='svg'][namespace-uri()='http://www.w3.org/2000/svg'])"), "1");
  EXPECT_EQ(query("string(//*[local-name()='title'])"), chart.view.description);
  EXPECT_EQ(query("count(//*[local-name()='text'])"), std::to_string(chart.drawing.labels.size()));
  EXPECT_EQ(query("count(//*[local-name()='polygon' or local-name()='polyline' or local-name()='circle'])"),
            std::to_string(chart.drawing.shapes.size()));
  EXPECT_EQ(query("string((//*[local-name()='text'])[last()])"), chart.drawing.labels.back().text);
}

}  // namespace
}  // namespace cotalia
