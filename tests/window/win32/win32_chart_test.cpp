// SPDX-License-Identifier: GPL-3.0-or-later
// The charts of the real Cotalia.exe: what the distribution window paints,
// and what Copiar gráfico and Guardar gráfico como… give.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <dlgs.h>
#include <gdiplus.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/window/win32/win32_test_support.h"
#include "tests/window/window_scenarios.h"
#include "window/charts/chart_svg.h"
#include "window/estimation/estimation_view.h"
#include "window/exports/chart_file.h"
#include "window/form/window_description.h"
#include "window/win32/win32_main_window.h"
#include "window/win32/win32_save_file.h"

namespace cotalia {
namespace {

struct Box {
  double left;
  double top;
  double right;
  double bottom;

  bool Holds(double x, double y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool Meets(const Box& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
};

class Win32DistributionChart : public testing::TestWithParam<bool> {};

// What the chart paints is what the drawing says: the band's colour where
// the band lies, the median's dark blue on its line, each label's text in
// its box, and nothing but the background outside the plot and the labels,
// which stay inside the chart and apart. The drawing is made here as the program makes it, from the same
// view, in the same font at the same DPI and measured by the same GDI+.
TEST_P(Win32DistributionChart, PaintsItsDrawing) {
  const bool logarithmic = GetParam();
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  HWND distribution = program.openDistribution();
  ASSERT_NE(distribution, nullptr);
  // A wider spread, which parts the median from the expected price.
  program.type("Text3", L"60");
  TypeInto(DistributionControlOf(distribution, DistributionControl::Level), "99");
  TypeInto(DistributionControlOf(distribution, DistributionControl::Target), "130");
  HWND axis =
      GetDlgItem(distribution, Win32ChoiceButtonId(DistributionControl::PriceAxis, logarithmic ? 1 : 0));
  SendMessageW(axis, BM_CLICK, 0, 0);
  ASSERT_EQ(SendMessageW(axis, BM_GETCHECK, 0, 0), BST_CHECKED);
  HWND chart = DistributionControlOf(distribution, DistributionControl::Chart);
  const Picture image = ScreenPixelsOf(chart);
  ASSERT_GT(image.width, 0);

  const Gdiplus::GdiplusStartupInput startup;
  ULONG_PTR gdiplus = 0;
  ASSERT_EQ(Gdiplus::GdiplusStartup(&gdiplus, &startup, nullptr), Gdiplus::Ok);
  const UINT dpi = GetDpiForWindow(chart);
  HFONT font = CreateWindowFont(dpi);
  HDC context = CreateCompatibleDC(nullptr);
  const DistributionView view = ViewOf({{"100", "10", "60", "12"}, "99", "130"});
  const ChartDrawing drawing = Win32ChartDrawing(
      [&view, logarithmic](const ChartArea& area, const TextWidth& textWidth) {
        return DrawChart(view, area, textWidth, logarithmic);
      },
      context, font, {image.width, image.height}, dpi);
  double line = 0;
  {
    Gdiplus::Graphics graphics(context);
    line = Gdiplus::Font(context, font).GetHeight(&graphics);
  }
  DeleteDC(context);
  DeleteObject(font);
  Gdiplus::GdiplusShutdown(gdiplus);
  ASSERT_GT(drawing.plot.right, drawing.plot.left) << "a message in place of the chart";
  ASSERT_GT(line, 0);

  const auto shape = [&drawing](Ink ink) -> const Shape* {
    for (const Shape& s : drawing.shapes) {
      if (s.ink == ink) return &s;
    }
    return nullptr;
  };
  const Shape* band = shape(Ink::Band);
  const Shape* median = shape(Ink::Median);
  const Shape* expected = shape(Ink::Expected);
  ASSERT_TRUE(band != nullptr && median != nullptr && expected != nullptr);
  const std::size_t samples = median->points.size();
  const COLORREF background = GetSysColor(COLOR_WINDOW);
  const std::uint32_t backgroundPixel = static_cast<std::uint32_t>(GetRValue(background)) << 16 |
                                        static_cast<std::uint32_t>(GetGValue(background)) << 8 |
                                        GetBValue(background);

  // Inside the band, halfway between its upper edge and the median, away
  // from the grid, the target's line and the expected price's: the band's
  // colour over the background.
  const auto nearStraightLine = [&drawing](double x, double y) {
    for (const Shape& s : drawing.shapes) {
      if (s.ink != Ink::Grid && s.ink != Ink::Target) continue;
      const bool vertical = s.points[0].x == s.points[1].x;
      if (vertical ? std::abs(s.points[0].x - x) < 4 : std::abs(s.points[0].y - y) < 4) return true;
    }
    return false;
  };
  const Colour ink = ColourOf(Ink::Band);
  const double alpha = ink.alpha / 255.0;
  const auto blend = [alpha](int over, int under) { return over * alpha + under * (1 - alpha); };
  int bandPixels = 0;
  for (std::size_t i = samples / 2; i < samples - 2; ++i) {
    const double x = band->points[i].x;
    const double y = (band->points[i].y + median->points[i].y) / 2;
    if (median->points[i].y - band->points[i].y < 10 || std::abs(expected->points[i].y - y) < 5 ||
        nearStraightLine(x, y)) {
      continue;
    }
    const std::uint32_t pixel = image.at(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
    EXPECT_TRUE(std::abs(Red(pixel) - blend(ink.red, GetRValue(background))) <= 3 &&
                std::abs(Green(pixel) - blend(ink.green, GetGValue(background))) <= 3 &&
                std::abs(Blue(pixel) - blend(ink.blue, GetBValue(background))) <= 3)
        << "band at " << x << ", " << y << " is " << std::hex << pixel;
    ++bandPixels;
  }
  EXPECT_GE(bandPixels, 5);
  // On the median's line, where the expected price's, drawn after it, is
  // not: its dark blue, not the band's light one.
  int medianPixels = 0;
  for (std::size_t i = 4; i < samples - 4; i += 2) {
    if (std::abs(expected->points[i].y - median->points[i].y) < 3.5) continue;
    const std::uint32_t pixel = image.at(static_cast<int>(std::lround(median->points[i].x)),
                                         static_cast<int>(std::lround(median->points[i].y)));
    EXPECT_TRUE(Red(pixel) < 110 && Blue(pixel) > Red(pixel) + 60)
        << std::hex << pixel << std::dec << " at " << median->points[i].x << ", " << median->points[i].y;
    ++medianPixels;
  }
  EXPECT_GE(medianPixels, 10);

  // Outside the plot (and the start dot and pens that reach past its edges)
  // and outside every label: the background only.
  const Box plot{drawing.plot.left - 6, drawing.plot.top - 3, drawing.plot.right + 3,
                 drawing.plot.bottom + 3};
  std::vector<Box> labels;
  for (const Label& label : drawing.labels) {
    labels.push_back({label.topLeft.x - 2, label.topLeft.y - 2, label.topLeft.x + label.width + 2,
                      label.topLeft.y + line + 2});
  }
  int stray = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const double cx = x + 0.5;
      const double cy = y + 0.5;
      if (plot.Holds(cx, cy) ||
          std::any_of(labels.begin(), labels.end(), [&](const Box& b) { return b.Holds(cx, cy); })) {
        continue;
      }
      if (image.at(x, y) != backgroundPixel) ++stray;
    }
  }
  EXPECT_EQ(stray, 0);
  for (const Label& label : drawing.labels) {
    int inked = 0;
    for (auto y = static_cast<int>(label.topLeft.y); y < label.topLeft.y + line && y < image.height; ++y) {
      for (auto x = static_cast<int>(label.topLeft.x); x < label.topLeft.x + label.width && x < image.width;
           ++x) {
        if (x >= 0 && y >= 0 && image.at(x, y) != backgroundPixel) ++inked;
      }
    }
    EXPECT_GE(inked, 3) << label.text << " is not written";
  }
  const Box whole{0, 0, static_cast<double>(image.width), static_cast<double>(image.height)};
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const Box inner{labels[i].left + 2, labels[i].top + 2, labels[i].right - 2, labels[i].bottom - 2};
    EXPECT_TRUE(inner.left >= whole.left && inner.top >= whole.top && inner.right <= whole.right &&
                inner.bottom <= whole.bottom)
        << drawing.labels[i].text;
    for (std::size_t j = i + 1; j < labels.size(); ++j) {
      const Box other{labels[j].left + 2, labels[j].top + 2, labels[j].right - 2, labels[j].bottom - 2};
      EXPECT_FALSE(inner.Meets(other)) << drawing.labels[i].text << " over " << drawing.labels[j].text;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(PriceAxes, Win32DistributionChart, testing::Bool(),
                         [](const auto& info) { return info.param ? "Logarithmic" : "Linear"; });

// The chart of a window's row as the program draws it for an area,
// measured by `textWidth`: the same view, made here as the window makes it.
struct ChartOfRow {
  std::string_view name;  // its accessible name, which titles its SVG
  std::function<ChartDrawing(const ChartArea&, const TextWidth&)> draw;
};

struct ChartCopyCase {
  const char* name;
  bool estimation;  // else the distribution window
  std::optional<EstimationControl> clicked;
  std::size_t chart;  // the row of the chart copied
};

const ChartCopyCase kChartCopyCases[] = {
    {"Distribution", false, std::nullopt, static_cast<std::size_t>(DistributionControl::Chart)},
    {"EstimationFirstChartWithoutFocus", true, std::nullopt,
     static_cast<std::size_t>(EstimationControl::HistoryChart)},
    {"EstimationChartWithFocus", true, EstimationControl::ReturnsChart,
     static_cast<std::size_t>(EstimationControl::ReturnsChart)},
    {"EstimationFirstChartClickedBack", true, EstimationControl::HistoryChart,
     static_cast<std::size_t>(EstimationControl::HistoryChart)},
};

// The pixels of a 32-bit or 24-bit DIB, 0xRRGGBB from the top row down.
std::optional<Picture> PictureOfDib(const std::string& dib) {
  if (dib.size() < sizeof(BITMAPINFOHEADER)) return std::nullopt;
  BITMAPINFOHEADER header{};
  std::memcpy(&header, dib.data(), sizeof header);
  if (header.biCompression != BI_RGB || (header.biBitCount != 32 && header.biBitCount != 24)) {
    return std::nullopt;
  }
  const int width = header.biWidth;
  const int height = std::abs(header.biHeight);
  const std::size_t bytesPerPixel = header.biBitCount / 8;
  const std::size_t stride = (static_cast<std::size_t>(width) * bytesPerPixel + 3) / 4 * 4;
  if (dib.size() < header.biSize + stride * height) return std::nullopt;
  Picture picture{width, height, {}};
  for (int y = 0; y < height; ++y) {
    const int row = header.biHeight > 0 ? height - 1 - y : y;
    const auto* at = reinterpret_cast<const unsigned char*>(dib.data()) + header.biSize + stride * row;
    for (int x = 0; x < width; ++x, at += bytesPerPixel) {
      picture.pixels.push_back(static_cast<std::uint32_t>(at[2]) << 16 |
                               static_cast<std::uint32_t>(at[1]) << 8 | at[0]);
    }
  }
  return picture;
}

// How much of an image is the picture on the screen, in squares of 8 by 8
// pixels: of the squares that either inks (whose mean is not the window's
// ground), the share whose mean colours are within a little. The screen's
// and an image's smoothing of lines and text differ pixel by pixel (under
// Wine, GDI+ draws into a window's DC through GDI and into an image by
// itself); a blank image, another chart, or the chart drawn at another size
// or a few pixels aside shares much less.
double ShareAlike(const Picture& image, const Picture& screen) {
  if (image.width != screen.width || image.height != screen.height || image.pixels.empty()) return 0;
  constexpr int kSquare = 8;
  constexpr double kGround = 3;
  constexpr double kAlike = 20;
  const COLORREF background = GetSysColor(COLOR_WINDOW);
  const std::array<double, 3> ground{static_cast<double>(GetRValue(background)),
                                     static_cast<double>(GetGValue(background)),
                                     static_cast<double>(GetBValue(background))};
  const auto meanOf = [](const Picture& picture, int left, int top) {
    std::array<double, 3> sum{};
    for (int y = top; y < top + kSquare; ++y) {
      for (int x = left; x < left + kSquare; ++x) {
        const std::uint32_t pixel = picture.at(x, y);
        sum[0] += Red(pixel);
        sum[1] += Green(pixel);
        sum[2] += Blue(pixel);
      }
    }
    for (double& channel : sum) channel /= kSquare * kSquare;
    return sum;
  };
  const auto within = [](const std::array<double, 3>& a, const std::array<double, 3>& b, double most) {
    return std::abs(a[0] - b[0]) <= most && std::abs(a[1] - b[1]) <= most && std::abs(a[2] - b[2]) <= most;
  };
  int inked = 0;
  int alike = 0;
  for (int top = 0; top + kSquare <= image.height; top += kSquare) {
    for (int left = 0; left + kSquare <= image.width; left += kSquare) {
      const std::array<double, 3> a = meanOf(image, left, top);
      const std::array<double, 3> b = meanOf(screen, left, top);
      if (within(a, ground, kGround) && within(b, ground, kGround)) continue;
      ++inked;
      if (within(a, b, kAlike)) ++alike;
    }
  }
  return inked == 0 ? 0 : static_cast<double>(alike) / inked;
}

class Win32ChartCopy : public testing::TestWithParam<ChartCopyCase> {};

// Copiar gráfico puts the chart that has the focus, else the window's first,
// as a DIB the size of the chart that shows what the screen shows, and
// beside it as SVG: the drawing for the chart's size measured by the SVG's
// own table, titled by the chart's name.
TEST_P(Win32ChartCopy, PutsTheChartAsAnImageAndAsSvg) {
  const ChartCopyCase& copy = GetParam();
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  HWND window = nullptr;
  ChartOfRow chart;
  DistributionView distribution;
  EstimationView estimation;
  if (copy.estimation) {
    window = PastePrices(program, kPrices);
    ASSERT_NE(window, nullptr);
    const EstimationState state = ReadPriceText(kPrices, {});
    estimation = EstimationViewOf(state, PeriodsTextOf(state));
    HWND figures = EstimationControlOf(window, EstimationControl::Figures);
    const std::wstring expected = WideOf(FiguresText(estimation.figures, "\r\n"));
    ASSERT_TRUE(WaitFor([&] { return TextOf(figures) == expected; }));
    chart.name = kEstimationControls[copy.chart].accessibleName;
    if (copy.chart == static_cast<std::size_t>(EstimationControl::HistoryChart)) {
      chart.draw = [&estimation](const ChartArea& area, const TextWidth& width) {
        return DrawHistory(estimation, area, width, false);
      };
    } else {
      chart.draw = [&estimation](const ChartArea& area, const TextWidth& width) {
        return DrawReturns(estimation, area, width);
      };
    }
  } else {
    window = program.openDistribution();
    ASSERT_NE(window, nullptr);
    const auto& in = scenarios::kDistributionInputs;
    distribution = ViewOf({{in[0], in[1], in[2], in[3]}, std::string(kDefaultLevel), ""});
    chart.name = kDistributionControls[copy.chart].accessibleName;
    chart.draw = [&distribution](const ChartArea& area, const TextWidth& width) {
      return DrawChart(distribution, area, width, false);
    };
  }
  HWND chartWindow = GetDlgItem(window, Win32RowId(copy.chart));
  if (copy.clicked) {
    // Away and back: a click takes the focus to a chart.
    HWND away = EstimationControlOf(window, *copy.clicked == EstimationControl::ReturnsChart
                                                ? EstimationControl::HistoryChart
                                                : EstimationControl::ReturnsChart);
    HWND clicked = EstimationControlOf(window, *copy.clicked);
    SetForegroundWindow(window);
    for (HWND at : {away, clicked}) {
      PostMessageW(at, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
      PostMessageW(at, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
      EXPECT_TRUE(WaitFor([&] { return program.focus() == at; }));
    }
  }
  EmptyTheClipboard();
  SendMessageW(window, WM_COMMAND, Win32MenuId(MenuCommand::CopyChart), 0);

  RECT client{};
  GetClientRect(chartWindow, &client);
  const std::optional<std::string> svg = ClipboardBlockOf(RegisterClipboardFormatW(L"image/svg+xml"));
  ASSERT_TRUE(svg.has_value()) << "no image/svg+xml";
  EXPECT_EQ(svg->rfind("<?xml", 0), 0u) << *svg;
  const ChartArea area = SvgArea(client.right, client.bottom);
  const std::string expected = SvgOf(chart.draw(area, SvgTextWidth(kSvgFontPixels)), area, chart.name);
  // A global block may be longer than what was put into it.
  EXPECT_EQ(svg->substr(0, expected.size()), expected);
  EXPECT_NE(svg->find(std::string(chart.name)), std::string::npos);

  const std::optional<std::string> dib = ClipboardBlockOf(CF_DIB);
  ASSERT_TRUE(dib.has_value()) << "no CF_DIB";
  const std::optional<Picture> image = PictureOfDib(*dib);
  ASSERT_TRUE(image.has_value()) << "not a 32-bit or 24-bit DIB";
  EXPECT_EQ(image->width, client.right);
  EXPECT_EQ(image->height, client.bottom);
  const Picture screen = ScreenPixelsOf(chartWindow);
  EXPECT_GE(ShareAlike(*image, screen), 0.95);
  PostMessageW(program.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exitStatus(), 0);
}

INSTANTIATE_TEST_SUITE_P(Charts, Win32ChartCopy, testing::ValuesIn(kChartCopyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A folder of the test's own for saved charts, removed with what it holds.
class SaveFolder {
 public:
  explicit SaveFolder(const wchar_t* name) {
    std::array<wchar_t, MAX_PATH + 1> temporary{};
    GetTempPathW(static_cast<DWORD>(temporary.size()), temporary.data());
    path_ = std::filesystem::path(temporary.data()) / name;
    std::error_code error;
    std::filesystem::remove_all(path_, error);
    std::filesystem::create_directories(path_);
  }
  ~SaveFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  SaveFolder(const SaveFolder&) = delete;
  SaveFolder& operator=(const SaveFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::optional<std::string> BytesOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t BigEndianAt(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// A PNG's width and height from its header chunk, which comes first; none
// for bytes that are no PNG.
std::optional<std::array<std::uint32_t, 2>> PngSizeOf(const std::string& bytes) {
  constexpr std::string_view kSignature = "\x89PNG\r\n\x1A\n";
  if (bytes.size() < 24 || bytes.compare(0, kSignature.size(), kSignature) != 0 ||
      bytes.compare(12, 4, "IHDR") != 0) {
    return std::nullopt;
  }
  return std::array<std::uint32_t, 2>{BigEndianAt(bytes, 16), BigEndianAt(bytes, 20)};
}

// An image file's pixels, 0xRRGGBB from the top row down, read by GDI+.
std::optional<Picture> PictureOfFile(const std::filesystem::path& file) {
  const Gdiplus::GdiplusStartupInput startup;
  ULONG_PTR gdiplus = 0;
  if (Gdiplus::GdiplusStartup(&gdiplus, &startup, nullptr) != Gdiplus::Ok) return std::nullopt;
  std::optional<Picture> picture;
  {
    Gdiplus::Bitmap image(file.c_str());
    Gdiplus::Rect whole(0, 0, static_cast<INT>(image.GetWidth()), static_cast<INT>(image.GetHeight()));
    Gdiplus::BitmapData pixels{};
    if (image.GetLastStatus() == Gdiplus::Ok &&
        image.LockBits(&whole, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &pixels) == Gdiplus::Ok) {
      picture = Picture{whole.Width, whole.Height, {}};
      for (INT y = 0; y < whole.Height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const char*>(pixels.Scan0) + static_cast<std::ptrdiff_t>(y) * pixels.Stride);
        for (INT x = 0; x < whole.Width; ++x) picture->pixels.push_back(row[x] & 0xFFFFFF);
      }
      image.UnlockBits(&pixels);
    }
  }
  Gdiplus::GdiplusShutdown(gdiplus);
  return picture;
}

// Every other pixel of an image twice the size each way: its pixels'
// centres where the smaller image's fall.
Picture HalvedOf(const Picture& image) {
  Picture half{image.width / 2, image.height / 2, {}};
  for (int y = 0; y < half.height; ++y) {
    for (int x = 0; x < half.width; ++x) half.pixels.push_back(image.at(2 * x + 1, 2 * y + 1));
  }
  return half;
}

struct SaveCase {
  const char* name;
  std::wstring typed;  // in the dialog's box for the name, inside the test's folder
  std::size_t filter;  // the kind chosen in the dialog's list of types
  enum class Before { Nothing, File, FileHeldOpen, FileAsFolder } before;
  std::optional<int> overwrite;  // IDYES or IDNO to the dialog's question
  int button;                    // the dialog's button pressed
  std::wstring saved;            // the file the chart is saved to
  enum class Then { Png, Svg, Unchanged, Message, Nothing } then;
  int scale;  // a PNG's pixels to the chart's
};

constexpr std::string_view kOldBytes = "what the file held before";

// The kinds by the filter chosen, or by the name's extension where it
// names another; the chosen filter's extension added to a name without
// one; a name in any script; a file that exists kept or replaced as the
// user answers; a folder on the way that is a file, and a file another
// program holds open, saved to with a message that says why not; and a
// cancelled dialog.
const SaveCase kSaveCases[] = {
    {"Png", L"gr\u00E1fico.png", 0, SaveCase::Before::Nothing, std::nullopt, IDOK, L"gr\u00E1fico.png",
     SaveCase::Then::Png, 1},
    {"PngTwiceTheSizeNamedWithoutExtension", L"doble", 1, SaveCase::Before::Nothing, std::nullopt, IDOK,
     L"doble.png", SaveCase::Then::Png, 2},
    {"SvgNamedInAnyScript", L"gr\u00E1fico \u56FE\u8868", 2, SaveCase::Before::Nothing, std::nullopt, IDOK,
     L"gr\u00E1fico \u56FE\u8868.svg", SaveCase::Then::Svg, 1},
    {"SvgByItsExtensionUnderThePngFilter", L"dibujo.svg", 0, SaveCase::Before::Nothing, std::nullopt, IDOK,
     L"dibujo.svg", SaveCase::Then::Svg, 1},
    {"ExistingKept", L"existente.png", 0, SaveCase::Before::File, IDNO, IDOK, L"existente.png",
     SaveCase::Then::Unchanged, 1},
    {"ExistingReplaced", L"existente.png", 0, SaveCase::Before::File, IDYES, IDOK, L"existente.png",
     SaveCase::Then::Png, 1},
    {"FolderThatIsAFile", L"un-archivo\\gr\u00E1fico.png", 0, SaveCase::Before::FileAsFolder, std::nullopt,
     IDOK, L"un-archivo\\gr\u00E1fico.png", SaveCase::Then::Message, 1},
    {"FileHeldOpenByAnother", L"abierto.png", 0, SaveCase::Before::FileHeldOpen, IDYES, IDOK, L"abierto.png",
     SaveCase::Then::Message, 1},
    {"Cancelled", L"cancelado.png", 0, SaveCase::Before::Nothing, std::nullopt, IDCANCEL, L"cancelado.png",
     SaveCase::Then::Nothing, 1},
};

class Win32SaveChart : public testing::TestWithParam<SaveCase> {};

// Guardar gráfico como… in the distribution window opens the system's
// save dialog over it, titled and filtered as the shared table says; the
// chart is saved as the user chooses, a failure is said in a message box
// over the window with the reason the shared writer gives, and the window
// goes on as it was.
TEST_P(Win32SaveChart, SavesTheChartAsChosen) {
  const SaveCase& save = GetParam();
  const SaveFolder folder(L"cotalia-saved-charts");
  const std::filesystem::path saved = folder.path() / save.saved;
  HANDLE held = INVALID_HANDLE_VALUE;
  switch (save.before) {
    case SaveCase::Before::Nothing:
      break;
    case SaveCase::Before::File:
      std::ofstream(saved, std::ios::binary) << kOldBytes;
      break;
    case SaveCase::Before::FileHeldOpen:
      std::ofstream(saved, std::ios::binary) << kOldBytes;
      // Shared with no one: as a program that has it open for itself.
      held =
          CreateFileW(saved.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
      break;
    case SaveCase::Before::FileAsFolder:
      std::ofstream(saved.parent_path(), std::ios::binary) << kOldBytes;
      break;
  }
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  HWND distribution = program.openDistribution();
  ASSERT_NE(distribution, nullptr);
  HWND chart = DistributionControlOf(distribution, DistributionControl::Chart);
  HWND figures = DistributionControlOf(distribution, DistributionControl::Figures);
  const std::wstring figuresBefore = TextOf(figures);

  PostMessageW(distribution, WM_COMMAND, Win32MenuId(MenuCommand::SaveChart), 0);
  HWND dialog = program.messageBox(distribution);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(dialog), WideOf(kSaveChartTitle));
  std::vector<std::wstring> captions;
  for (const ChartFileKind& kind : kChartFileKinds) captions.push_back(WideOf(kind.caption));
  EXPECT_EQ(FiltersOf(dialog), captions);
  ChooseFilter(dialog, save.filter);
  TypeFileName(dialog, (folder.path() / save.typed).wstring(), save.button);
  if (save.overwrite) {
    HWND question = program.messageBox(dialog);
    ASSERT_NE(question, nullptr) << "no question before replacing the file";
    PostMessageW(question, WM_COMMAND, MAKEWPARAM(*save.overwrite, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(question, *save.overwrite)));
    EXPECT_TRUE(WaitFor([&] { return IsWindow(question) == FALSE; }));
    if (*save.overwrite == IDNO) {
      // Back in the dialog, which the user then leaves.
      ASSERT_TRUE(IsWindowVisible(dialog));
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    }
  }
  ASSERT_TRUE(WaitFor([&] { return IsWindow(dialog) == FALSE; })) << "the dialog stays";
  // Returns once the program has saved and is back in its loop, or shows a
  // message box (whose loop answers it).
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(distribution, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);

  RECT client{};
  GetClientRect(chart, &client);
  std::optional<std::string> bytes = BytesOf(saved);
  switch (save.then) {
    case SaveCase::Then::Png: {
      ASSERT_TRUE(bytes.has_value()) << "nothing saved";
      const auto size = PngSizeOf(*bytes);
      ASSERT_TRUE(size.has_value()) << "no PNG";
      EXPECT_EQ((*size)[0], static_cast<std::uint32_t>(client.right * save.scale));
      EXPECT_EQ((*size)[1], static_cast<std::uint32_t>(client.bottom * save.scale));
      const std::optional<Picture> image = PictureOfFile(saved);
      ASSERT_TRUE(image.has_value());
      EXPECT_GE(ShareAlike(save.scale == 2 ? HalvedOf(*image) : *image, ScreenPixelsOf(chart)), 0.95);
      break;
    }
    case SaveCase::Then::Svg: {
      ASSERT_TRUE(bytes.has_value()) << "nothing saved";
      EXPECT_EQ(bytes->rfind("<?xml", 0), 0u);
      const auto& in = scenarios::kDistributionInputs;
      const DistributionView view = ViewOf({{in[0], in[1], in[2], in[3]}, std::string(kDefaultLevel), ""});
      const ChartArea area = SvgArea(client.right, client.bottom);
      const std::string_view title = ControlOf(DistributionControl::Chart).accessibleName;
      EXPECT_EQ(*bytes, SvgOf(DrawChart(view, area, SvgTextWidth(kSvgFontPixels), false), area, title));
      EXPECT_NE(bytes->find("<title>" + std::string(title) + "</title>"), std::string::npos);
      break;
    }
    case SaveCase::Then::Unchanged:
      EXPECT_EQ(bytes, std::optional<std::string>(kOldBytes));
      break;
    case SaveCase::Then::Message: {
      HWND message = program.messageBox(distribution);
      ASSERT_NE(message, nullptr) << "no message";
      EXPECT_EQ(TextOf(message), WideOf(kSaveChartTitle));
      // What the program's writer says of the same file here, where it
      // fails for the same reason.
      const std::optional<std::string> problem = Win32SaveFileWhole(saved, "x");
      ASSERT_TRUE(problem.has_value());
      EXPECT_EQ(TextOf(GetDlgItem(message, 0xFFFF)), WideOf(*problem));
      SendMessageW(message, WM_COMMAND, IDOK, 0);
      EXPECT_TRUE(WaitFor([&] { return IsWindow(message) == FALSE; }));
      if (save.before == SaveCase::Before::FileHeldOpen) {
        CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
        EXPECT_EQ(BytesOf(saved), std::optional<std::string>(kOldBytes));
      } else {
        EXPECT_FALSE(bytes.has_value());
      }
      break;
    }
    case SaveCase::Then::Nothing:
      EXPECT_FALSE(bytes.has_value());
      EXPECT_FALSE(std::filesystem::exists(saved));
      break;
  }
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  // No message where none is due, and the window goes on as it was.
  if (save.then != SaveCase::Then::Message) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    HWND stray = nullptr;
    EnumThreadWindows(
        GetWindowThreadProcessId(distribution, nullptr),
        [](HWND window, LPARAM found) -> BOOL {
          if (ClassNameOf(window) == L"#32770" && IsWindowVisible(window))
            *reinterpret_cast<HWND*>(found) = window;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&stray));
    EXPECT_EQ(stray, nullptr) << "a message: " << TextOf(GetDlgItem(stray, 0xFFFF));
  }
  EXPECT_TRUE(IsWindowVisible(distribution));
  EXPECT_EQ(TextOf(figures), figuresBefore);
  TypeInto(DistributionControlOf(distribution, DistributionControl::Target), "130");
  EXPECT_NE(TextOf(figures), figuresBefore) << "the window no longer follows its inputs";
}

INSTANTIATE_TEST_SUITE_P(Files, Win32SaveChart, testing::ValuesIn(kSaveCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cotalia
