// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/charts/chart_svg.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace cotalia {

namespace {

// Helvetica's advances in thousandths of an em for ' ' to '~' (Adobe's
// Helvetica metrics, which Arial and Liberation Sans share).
constexpr std::array<std::uint16_t, 95> kAsciiAdvances{
    278,  278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,  //  !"#$%&'()*+,-./
    556,  556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,  // 0123456789:;<=>?
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778,  // @ABCDEFGHIJKLMNO
    667,  778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,  // PQRSTUVWXYZ[\]^_
    333,  556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,  // `abcdefghijklmno
    556,  556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584,       // pqrstuvwxyz{|}~
};

// Any other code point: a digit's advance, which the accented lower-case
// letters of Spanish ("á", "ñ") have too, so that the program's own labels
// come out nearly right.
constexpr std::uint16_t kOtherAdvance = 556;

// The line a label stands in holds the font's ascent and descent (Arial's:
// 1854 and 434 of 2048 units) with the rest shared above and below, as a
// line box shares its leading; the baseline is the ascent below that.
constexpr double kAscent = 1854.0 / 2048;
constexpr double kDescent = 434.0 / 2048;

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

struct CodePoint {
  char32_t code;       // kReplacement where the bytes are not well-formed UTF-8
  std::size_t length;  // bytes taken, one for a byte that begins no sequence
  bool wellFormed;
};

// The code point that begins at text[at] (which is within the text).
CodePoint CodePointAt(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return {lead, 1, true};
  std::size_t length = 0;
  char32_t code = 0;
  char32_t lowest = 0;  // below it, an overlong form
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
    lowest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
    lowest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
    lowest = 0x10000;
  } else {
    return {kReplacement, 1, false};
  }
  if (length > text.size() - at) return {kReplacement, 1, false};
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(at + i);
    if ((next & 0xC0u) != 0x80u) return {kReplacement, 1, false};
    code = (code << 6) | (next & 0x3Fu);
  }
  if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {kReplacement, 1, false};
  return {code, length, true};
}

// Text as XML character data: the markup characters escaped, and whatever
// XML 1.0 cannot hold (bytes that are not UTF-8, control characters other
// than tab and line ends, U+FFFE and U+FFFF) replaced, so that the document
// stays well-formed whatever a label holds.
void AppendEscaped(std::string& out, std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const CodePoint point = CodePointAt(text, at);
    const char32_t c = point.code;
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (!point.wellFormed || (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE ||
               c == 0xFFFF) {
      out += kReplacementUtf8;
    } else {
      out += text.substr(at, point.length);
    }
    at += point.length;
  }
}

void AppendNumber(std::string& out, double value, int decimals = 2) {
  // Room for the largest double in fixed notation, its sign, point and
  // decimals.
  std::array<char, 330> buffer{};
  if (!std::isfinite(value)) {
    out += '0';
    return;
  }
  const std::to_chars_result written =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
  if (written.ec != std::errc{}) {
    out += '0';
    return;
  }
  std::string_view text(buffer.data(), static_cast<std::size_t>(written.ptr - buffer.data()));
  if (text.find('.') != std::string_view::npos) {
    while (text.back() == '0') text.remove_suffix(1);
    if (text.back() == '.') text.remove_suffix(1);
  }
  // A value that rounds to zero from below.
  if (text == "-0") text = "0";
  out += text;
}

void AppendInteger(std::string& out, int value) {
  std::array<char, 12> buffer{};
  const std::to_chars_result written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  out.append(buffer.data(), written.ptr);
}

// ` fill="rgb(r,g,b)"`, and its opacity where the ink is see-through.
void AppendPaint(std::string& out, std::string_view property, Ink ink) {
  const Colour colour = ColourOf(ink);
  out += ' ';
  out += property;
  out += "=\"rgb(";
  AppendInteger(out, colour.red);
  out += ',';
  AppendInteger(out, colour.green);
  out += ',';
  AppendInteger(out, colour.blue);
  out += ")\"";
  if (colour.alpha < 255) {
    out += ' ';
    out += property;
    out += "-opacity=\"";
    // Three places tell every alpha of 0 to 255 apart.
    AppendNumber(out, colour.alpha / 255.0, 3);
    out += '"';
  }
}

void AppendAttribute(std::string& out, std::string_view name, double value) {
  out += ' ';
  out += name;
  out += "=\"";
  AppendNumber(out, value);
  out += '"';
}

bool IsFinite(const Point& point) { return std::isfinite(point.x) && std::isfinite(point.y); }

// ` points="x,y x,y ..."` of the finite points; false where fewer than
// `fewest` are.
bool AppendPoints(std::string& out, const std::vector<Point>& points, std::size_t fewest) {
  std::size_t finite = 0;
  for (const Point& point : points) finite += IsFinite(point) ? 1 : 0;
  if (finite < fewest) return false;
  out += " points=\"";
  bool first = true;
  for (const Point& point : points) {
    if (!IsFinite(point)) continue;
    if (!first) out += ' ';
    first = false;
    AppendNumber(out, point.x);
    out += ',';
    AppendNumber(out, point.y);
  }
  out += '"';
  return true;
}

void AppendShape(std::string& out, const Shape& shape) {
  if (!std::isfinite(shape.size)) return;
  std::string element;
  switch (shape.kind) {
    case ShapeKind::Area:
      // Even-odd, as both windows fill a polygon (QPainter's and GDI+'s
      // default rule).
      element = "<polygon";
      if (!AppendPoints(element, shape.points, 3)) return;
      AppendPaint(element, "fill", shape.ink);
      element += " fill-rule=\"evenodd\"/>\n";
      break;
    case ShapeKind::Line:
      // Square caps, as the Qt window draws them, so that the axes meet at
      // the corner; round joins, as the Win32 window's (Qt's bevels differ
      // from them only at a sharp bend of a wide pen). A pen of no width is
      // a hairline, as QPen takes it.
      element = "<polyline";
      if (!AppendPoints(element, shape.points, 2)) return;
      element += " fill=\"none\"";
      AppendPaint(element, "stroke", shape.ink);
      AppendAttribute(element, "stroke-width", shape.size > 0 ? shape.size : 1);
      element += " stroke-linecap=\"square\" stroke-linejoin=\"round\"/>\n";
      break;
    case ShapeKind::Dot:
      if (shape.points.empty() || !IsFinite(shape.points.front()) || shape.size <= 0) return;
      element = "<circle";
      AppendAttribute(element, "cx", shape.points.front().x);
      AppendAttribute(element, "cy", shape.points.front().y);
      AppendAttribute(element, "r", shape.size);
      AppendPaint(element, "fill", shape.ink);
      element += "/>\n";
      break;
  }
  out += element;
}

void AppendLabel(std::string& out, const Label& label, double line, double font) {
  if (label.text.empty() || !IsFinite(label.topLeft)) return;
  const double baseline = label.topLeft.y + (line - (kAscent + kDescent) * font) / 2 + kAscent * font;
  out += "<text";
  AppendAttribute(out, "x", label.topLeft.x);
  AppendAttribute(out, "y", baseline);
  out += " font-family=\"sans-serif\"";
  AppendAttribute(out, "font-size", font);
  AppendPaint(out, "fill", label.ink);
  // A label is one line as written: its spaces are not collapsed.
  out += " xml:space=\"preserve\">";
  AppendEscaped(out, label.text);
  out += "</text>\n";
}

}  // namespace

TextWidth SvgTextWidth(double fontPixels) {
  return [fontPixels](std::string_view text) {
    // Summed in thousandths, in integers: the same total in any order.
    std::uint64_t thousandths = 0;
    for (std::size_t at = 0; at < text.size();) {
      const CodePoint point = CodePointAt(text, at);
      thousandths +=
          point.code >= 0x20 && point.code <= 0x7E ? kAsciiAdvances[point.code - 0x20] : kOtherAdvance;
      at += point.length;
    }
    return static_cast<double>(thousandths) * fontPixels / 1000;
  };
}

ChartArea SvgArea(double width, double height) { return {width, height, kSvgLinePixels, 1}; }

std::string SvgNumber(double value, int decimals) {
  std::string text;
  AppendNumber(text, value, decimals);
  return text;
}

std::string SvgOf(const ChartDrawing& drawing, const ChartArea& area, std::string_view title) {
  // max() also takes a NaN size to 0.
  const double width = std::max(0.0, area.width);
  const double height = std::max(0.0, area.height);
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
      "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" "
      "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"";
  AppendNumber(out, width);
  out += "px\" height=\"";
  AppendNumber(out, height);
  out += "px\" viewBox=\"0 0 ";
  AppendNumber(out, width);
  out += ' ';
  AppendNumber(out, height);
  out += "\">\n<title>";
  AppendEscaped(out, title);
  out += "</title>\n<rect width=\"";
  AppendNumber(out, width);
  out += "\" height=\"";
  AppendNumber(out, height);
  out += "\" fill=\"white\"/>\n";
  for (const Shape& shape : drawing.shapes) AppendShape(out, shape);
  const double font = area.lineHeight * kSvgFontPixels / kSvgLinePixels;
  for (const Label& label : drawing.labels) AppendLabel(out, label, area.lineHeight, font);
  out += "</svg>\n";
  return out;
}

}  // namespace cotalia
