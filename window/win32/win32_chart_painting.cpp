// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/win32/win32_chart_painting.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "window/win32/win32_text.h"

namespace cotalia {

namespace {

Gdiplus::Color GdiplusColourOf(Ink ink) {
  const Colour colour = ColourOf(ink);
  return {colour.alpha, colour.red, colour.green, colour.blue};
}

// One string format for measuring and drawing, without the padding GDI+
// otherwise puts about a string: a label's width is what it covers, and it
// starts where the drawing puts it.
const Gdiplus::StringFormat* LabelFormat() { return Gdiplus::StringFormat::GenericTypographic(); }

void Prepare(Gdiplus::Graphics& graphics) {
  graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
}

double WidthOf(std::string_view text, Gdiplus::Graphics& graphics, const Gdiplus::Font& font) {
  const std::wstring wide = WideOf(text);
  Gdiplus::RectF bounds;
  graphics.MeasureString(wide.c_str(), static_cast<INT>(wide.size()), &font, Gdiplus::PointF(0, 0),
                         LabelFormat(), &bounds);
  return static_cast<double>(bounds.Width);
}

// The chart's area in that graphics and font: what a drawing is laid out
// in, and a reading of it taken.
ChartArea AreaOf(SIZE area, UINT dpi, Gdiplus::Graphics& graphics, const Gdiplus::Font& font) {
  return {static_cast<double>(area.cx), static_cast<double>(area.cy), font.GetHeight(&graphics), dpi / 96.0};
}

ChartDrawing DrawingIn(const ChartDrawer& drawer, Gdiplus::Graphics& graphics, const Gdiplus::Font& font,
                       SIZE area, UINT dpi) {
  if (!drawer) return {};
  return drawer(AreaOf(area, dpi, graphics, font),
                [&graphics, &font](std::string_view text) { return WidthOf(text, graphics, font); });
}

void Paint(const ChartDrawing& drawing, Gdiplus::Graphics& graphics, const Gdiplus::Font& font) {
  for (const Shape& shape : drawing.shapes) {
    if (shape.points.empty()) continue;
    std::vector<Gdiplus::PointF> points;
    for (const Point& point : shape.points) {
      points.emplace_back(static_cast<Gdiplus::REAL>(point.x), static_cast<Gdiplus::REAL>(point.y));
    }
    const Gdiplus::Color colour = GdiplusColourOf(shape.ink);
    const auto size = static_cast<Gdiplus::REAL>(shape.size);
    const auto count = static_cast<INT>(points.size());
    const Gdiplus::SolidBrush brush(colour);
    switch (shape.kind) {
      case ShapeKind::Area:
        graphics.FillPolygon(&brush, points.data(), count);
        break;
      case ShapeKind::Line: {
        // Round joins, as a curve through many points has; Wine's GDI+
        // also leaves a hole at each mitred joint of a wide pen.
        Gdiplus::Pen pen(colour, size);
        pen.SetLineJoin(Gdiplus::LineJoinRound);
        graphics.DrawLines(&pen, points.data(), count);
        break;
      }
      case ShapeKind::Dot:
        graphics.FillEllipse(&brush, points[0].X - size, points[0].Y - size, 2 * size, 2 * size);
        break;
    }
  }
  for (const Label& label : drawing.labels) {
    const std::wstring text = WideOf(label.text);
    const Gdiplus::SolidBrush brush(GdiplusColourOf(label.ink));
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), &font,
                        Gdiplus::PointF(static_cast<Gdiplus::REAL>(label.topLeft.x),
                                        static_cast<Gdiplus::REAL>(label.topLeft.y)),
                        LabelFormat(), &brush);
  }
}

// A chart's drawing for its area on the window's ground, measured and drawn
// in the same graphics and font, whether on the screen or in an image.
void PaintChartIn(Gdiplus::Graphics& graphics, const ChartDrawer& drawer, const Gdiplus::Font& font,
                  SIZE area, UINT dpi) {
  const COLORREF background = GetSysColor(COLOR_WINDOW);
  graphics.Clear(Gdiplus::Color(255, GetRValue(background), GetGValue(background), GetBValue(background)));
  Paint(DrawingIn(drawer, graphics, font, area, dpi), graphics, font);
}

// A window's device context, released when it goes.
struct WindowContext {
  HWND window;
  HDC context;
  explicit WindowContext(HWND of) : window(of), context(GetDC(of)) {}
  WindowContext(const WindowContext&) = delete;
  WindowContext& operator=(const WindowContext&) = delete;
  ~WindowContext() { ReleaseDC(window, context); }
};

// What a chart is measured in: its context, and the graphics and the font
// on it, which go before the context does.
struct ChartMeasure {
  WindowContext screen;
  Gdiplus::Graphics graphics;
  Gdiplus::Font font;
  ChartMeasure(HWND chart, HFONT windowFont)
      : screen(chart), graphics(screen.context), font(screen.context, windowFont) {
    Prepare(graphics);
  }
};

}  // namespace

HFONT CreateWindowFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

ChartDrawing Win32ChartDrawing(const ChartDrawer& drawer, HDC context, HFONT font, SIZE area, UINT dpi) {
  Gdiplus::Graphics graphics(context);
  Prepare(graphics);
  const Gdiplus::Font gdiplusFont(context, font);
  return DrawingIn(drawer, graphics, gdiplusFont, area, dpi);
}

void PaintChartOn(HDC context, const ChartDrawer& drawer, HFONT font, SIZE area, UINT dpi) {
  Gdiplus::Graphics graphics(context);
  Prepare(graphics);
  const Gdiplus::Font gdiplusFont(context, font);
  PaintChartIn(graphics, drawer, gdiplusFont, area, dpi);
}

// The chart as its window paints it, `scale` times as many pixels each way:
// the same drawing, laid out for the window's size and font and enlarged,
// so that a larger image shows the very chart on the screen, only sharper.
// Its text is smoothed in grey rather than in ClearType's colours, which
// belong to one screen's subpixels and fringe in an image shown elsewhere.
std::unique_ptr<Gdiplus::Bitmap> ChartImage(HWND chart, const ChartDrawer& drawer, HFONT windowFont,
                                            int scale) {
  RECT client{};
  GetClientRect(chart, &client);
  const SIZE area{std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)};
  auto image = std::make_unique<Gdiplus::Bitmap>(area.cx * scale, area.cy * scale, PixelFormat32bppARGB);
  if (image->GetLastStatus() != Gdiplus::Ok) return nullptr;
  Gdiplus::Graphics graphics(image.get());
  graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
  graphics.ScaleTransform(static_cast<Gdiplus::REAL>(scale), static_cast<Gdiplus::REAL>(scale));
  HDC screen = GetDC(chart);
  const Gdiplus::Font font(screen, windowFont);
  ReleaseDC(chart, screen);
  PaintChartIn(graphics, drawer, font, area, GetDpiForWindow(chart));
  return image;
}

ChartFrame MeasuredChart(HWND chart, HFONT windowFont) {
  RECT client{};
  GetClientRect(chart, &client);
  auto measure = std::make_shared<ChartMeasure>(chart, windowFont);
  const ChartArea area =
      AreaOf({client.right, client.bottom}, GetDpiForWindow(chart), measure->graphics, measure->font);
  return {area, [measure](std::string_view text) { return WidthOf(text, measure->graphics, measure->font); }};
}

}  // namespace cotalia
