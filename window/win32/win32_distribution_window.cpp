// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32_distribution_window.h"

#include <commctrl.h>
#include <gdiplus.h>

#include <algorithm>
#include <vector>

#include "win32_text.h"
#include "win32_window_class.h"

namespace cotalia {

namespace {

constexpr std::string_view kChartName = "Gráfico de la distribución";

// The controls in the order they are made, which is their z-order: each
// label just before the box it names, for the Tab key and screen readers.
struct ChildControl {
  int id;
  const wchar_t* className;
  const wchar_t* text;
  DWORD style;
  DWORD extendedStyle;
};

const std::array<ChildControl, 9> kChildControls{{
    {-1, L"STATIC", L"&Nivel de confianza (%)", SS_RIGHT, 0},
    {kLevelBox, L"EDIT", L"95", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
    {-1, L"STATIC", L"Precio &objetivo", SS_RIGHT, 0},
    {kTargetBox, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
    {-1, L"STATIC", L"&Eje de precios", SS_RIGHT, 0},
    {kScaleList, L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 0},
    {kChart, kWin32ChartClass, L"", 0, 0},
    {-1, L"STATIC", L"Cifras al horizonte", 0, 0},
    {kFiguresBox, L"EDIT", L"", WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL,
     WS_EX_CLIENTEDGE},
}};

// Where each control stands, in pixels at 96 dots per inch, for a client
// area of the given size: the inputs in a row, the chart below them, the
// figures to its right.
struct Place {
  int left;
  int top;
  int width;
  int height;
};

std::array<Place, kChildControls.size()> PlacesFor(int width, int height) {
  constexpr int kMargin = 8;
  constexpr int kRow = 23;
  constexpr int kFigures = 280;
  const int chartTop = kMargin + kRow + kMargin;
  const int chartWidth = std::max(width - 3 * kMargin - kFigures, 40);
  const int bodyHeight = std::max(height - chartTop - kMargin, 40);
  const int figuresLeft = kMargin + chartWidth + kMargin;
  return {{{kMargin, kMargin + 4, 150, kRow},
           {kMargin + 156, kMargin, 60, kRow},
           {kMargin + 222, kMargin + 4, 110, kRow},
           {kMargin + 338, kMargin, 100, kRow},
           {kMargin + 444, kMargin + 4, 110, kRow},
           {kMargin + 560, kMargin, 130, 120},
           {kMargin, chartTop, chartWidth, bodyHeight},
           {figuresLeft, chartTop, kFigures, 20},
           {figuresLeft, chartTop + 20, kFigures, std::max(bodyHeight - 20, 20)}}};
}

Gdiplus::Color GdiplusColourOf(Ink ink) {
  const Colour colour = ColourOf(ink);
  return {colour.alpha, colour.red, colour.green, colour.blue};
}

}  // namespace

Win32DistributionWindow::Win32DistributionWindow(HINSTANCE instance, HWND owner, FormTexts formTexts)
    : formTexts_(std::move(formTexts)) {
  const Gdiplus::GdiplusStartupInput startup;
  Gdiplus::GdiplusStartup(&gdiplus_, &startup, nullptr);

  RegisterTopLevelClass(instance, Procedure, kWin32DistributionClass);
  WNDCLASSEXW chartClass{};
  chartClass.cbSize = sizeof chartClass;
  chartClass.lpfnWndProc = ChartProcedure;
  chartClass.hInstance = instance;
  chartClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  chartClass.lpszClassName = kWin32ChartClass;
  RegisterClassExW(&chartClass);

  const std::wstring title = WideOf(kDistributionTitle);
  CreateWindowExW(0, kWin32DistributionClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, this);
}

Win32DistributionWindow::~Win32DistributionWindow() {
  if (IsWindow(window_)) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
  Gdiplus::GdiplusShutdown(gdiplus_);
}

void Win32DistributionWindow::Show() {
  Refresh();
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(GetDlgItem(window_, kLevelBox));
}

bool Win32DistributionWindow::TakeDialogMessage(MSG& message) {
  if (message.hwnd != window_ && IsChild(window_, message.hwnd) == FALSE) return false;
  // Esc closes the window, as it closes a dialog, unless it closes the open
  // list of the price axis.
  const bool listOpen = SendMessageW(GetDlgItem(window_, kScaleList), CB_GETDROPPEDSTATE, 0, 0) != 0;
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && !listOpen) {
    ShowWindow(window_, SW_HIDE);
    return true;
  }
  return IsDialogMessageW(window_, &message) != FALSE;
}

void Win32DistributionWindow::Refresh() {
  const std::array<std::string, 4> texts = formTexts_();
  const std::string level = WindowTextOf(GetDlgItem(window_, kLevelBox));
  const std::string target = WindowTextOf(GetDlgItem(window_, kTargetBox));
  logarithmic_ = SendMessageW(GetDlgItem(window_, kScaleList), CB_GETCURSEL, 0, 0) == 1;
  view_ = ViewOf({{texts[0], texts[1], texts[2], texts[3]}, level, target});
  std::string figures;
  for (const Figure& figure : view_.figures) {
    figures += figure.label;
    figures += ": ";
    figures += figure.text;
    figures += "\r\n";
  }
  SetWindowTextW(GetDlgItem(window_, kFiguresBox), WideOf(figures).c_str());
  // A screen reader names the chart by its text: the message, where there
  // is one.
  SetWindowTextW(chart_, WideOf(view_.message.empty() ? kChartName : view_.message).c_str());
  InvalidateRect(chart_, nullptr, FALSE);
}

LRESULT CALLBACK Win32DistributionWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<Win32DistributionWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32DistributionWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self != nullptr ? self->Handle(message, wParam, lParam)
                         : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK Win32DistributionWindow::ChartProcedure(HWND chart, UINT message, WPARAM wParam,
                                                         LPARAM lParam) {
  auto* self = reinterpret_cast<Win32DistributionWindow*>(GetWindowLongPtrW(GetParent(chart), GWLP_USERDATA));
  if (message == WM_ERASEBKGND) return 1;
  if (message != WM_PAINT || self == nullptr) return DefWindowProcW(chart, message, wParam, lParam);
  // Drawn off screen, then copied: no flicker while the window is resized.
  PAINTSTRUCT paint{};
  HDC screen = BeginPaint(chart, &paint);
  RECT area{};
  GetClientRect(chart, &area);
  HDC offscreen = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, area.right, area.bottom);
  const HGDIOBJ previous = SelectObject(offscreen, bitmap);
  self->PaintChart(offscreen, area);
  BitBlt(screen, 0, 0, area.right, area.bottom, offscreen, 0, 0, SRCCOPY);
  SelectObject(offscreen, previous);
  DeleteObject(bitmap);
  DeleteDC(offscreen);
  EndPaint(chart, &paint);
  return 0;
}

LRESULT Win32DistributionWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      ApplyDpi(GetDpiForWindow(window_));
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_DPICHANGED:
      ApplyDpi(HIWORD(wParam));
      MoveToSuggestedRect(window_, lParam);
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (id == IDCANCEL) {
        ShowWindow(window_, SW_HIDE);
      } else if ((id == kLevelBox || id == kTargetBox) && code == EN_CHANGE) {
        Refresh();
      } else if (id == kScaleList && code == CBN_SELCHANGE) {
        Refresh();
      }
      return 0;
    }
    case WM_CLOSE:
      ShowWindow(window_, SW_HIDE);  // kept for the next time; it ends with the form
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(window_, kFiguresBox)) break;
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void Win32DistributionWindow::CreateControls() {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  for (const ChildControl& child : kChildControls) {
    HWND control = CreateWindowExW(
        child.extendedStyle, child.className, child.text, WS_CHILD | WS_VISIBLE | child.style, 0, 0, 0, 0,
        window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(child.id)), instance, nullptr);
    if (child.id == kChart) chart_ = control;
  }
  HWND scale = GetDlgItem(window_, kScaleList);
  SendMessageW(scale, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Lineal"));
  SendMessageW(scale, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Logar\u00EDtmico"));
  SendMessageW(scale, CB_SETCURSEL, 0, 0);
}

// Every control in its place, scaled from 96 dots per inch to the window's.
void Win32DistributionWindow::Layout() {
  const auto dpi = static_cast<int>(GetDpiForWindow(window_));
  RECT client{};
  GetClientRect(window_, &client);
  const std::array<Place, kChildControls.size()> places =
      PlacesFor(MulDiv(client.right, 96, dpi), MulDiv(client.bottom, 96, dpi));
  HWND control = GetWindow(window_, GW_CHILD);
  for (std::size_t i = 0; i < places.size() && control != nullptr; ++i) {
    const Place& place = places[i];
    SetWindowPos(control, nullptr, MulDiv(place.left, dpi, 96), MulDiv(place.top, dpi, 96),
                 MulDiv(place.width, dpi, 96), MulDiv(place.height, dpi, 96), SWP_NOZORDER | SWP_NOACTIVATE);
    control = GetWindow(control, GW_HWNDNEXT);
  }
  InvalidateRect(chart_, nullptr, FALSE);
}

void Win32DistributionWindow::ApplyDpi(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  for (HWND control = GetWindow(window_, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;
  const auto pixelsPerInch = static_cast<int>(dpi);
  SetWindowPos(window_, nullptr, 0, 0, MulDiv(860, pixelsPerInch, 96), MulDiv(480, pixelsPerInch, 96),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

// The shared drawing, antialiased with GDI+: shapes in their inks, then the
// labels by the points they are aligned to.
void Win32DistributionWindow::PaintChart(HDC context, const RECT& area) const {
  Gdiplus::Graphics graphics(context);
  graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
  const COLORREF background = GetSysColor(COLOR_WINDOW);
  graphics.Clear(Gdiplus::Color(255, GetRValue(background), GetGValue(background), GetBValue(background)));
  const Gdiplus::Font font(context, font_);
  const double scale = GetDpiForWindow(window_) / 96.0;
  const ChartDrawing drawing = DrawChart(
      view_, {static_cast<double>(area.right), static_cast<double>(area.bottom), font.GetHeight(&graphics)},
      logarithmic_);
  for (const Shape& shape : drawing.shapes) {
    std::vector<Gdiplus::PointF> points;
    for (const Point& point : shape.points) {
      points.emplace_back(static_cast<Gdiplus::REAL>(point.x), static_cast<Gdiplus::REAL>(point.y));
    }
    const Gdiplus::Color colour = GdiplusColourOf(shape.ink);
    if (shape.filled) {
      const Gdiplus::SolidBrush brush(colour);
      graphics.FillPolygon(&brush, points.data(), static_cast<INT>(points.size()));
    } else if (points.size() == 1) {
      const Gdiplus::SolidBrush brush(colour);
      const auto radius = static_cast<Gdiplus::REAL>(4 * scale);
      graphics.FillEllipse(&brush, points[0].X - radius, points[0].Y - radius, 2 * radius, 2 * radius);
    } else {
      const bool thin = shape.ink == Ink::Grid || shape.ink == Ink::Axis;
      const Gdiplus::Pen pen(colour, static_cast<Gdiplus::REAL>((thin ? 1 : 2) * scale));
      graphics.DrawLines(&pen, points.data(), static_cast<INT>(points.size()));
    }
  }
  for (const Label& label : drawing.labels) {
    const std::wstring text = WideOf(label.text);
    Gdiplus::RectF bounds;
    graphics.MeasureString(text.c_str(), -1, &font, Gdiplus::PointF(0, 0), &bounds);
    const double left = label.horizontal == Align::Start    ? label.at.x
                        : label.horizontal == Align::Middle ? label.at.x - bounds.Width / 2
                                                            : label.at.x - bounds.Width;
    const double top = label.vertical == Align::Start    ? label.at.y
                       : label.vertical == Align::Middle ? label.at.y - bounds.Height / 2
                                                         : label.at.y - bounds.Height;
    const Gdiplus::SolidBrush brush(GdiplusColourOf(label.ink));
    graphics.DrawString(text.c_str(), -1, &font,
                        Gdiplus::PointF(static_cast<Gdiplus::REAL>(left), static_cast<Gdiplus::REAL>(top)),
                        &brush);
  }
}

}  // namespace cotalia
