// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32_distribution_window.h"

// After windows.h, which it needs.
#include <gdiplus.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "win32_chart_accessible.h"
#include "win32_text.h"
#include "win32_window_class.h"

namespace cotalia {

namespace {

struct Win32Class {
  const wchar_t* name;
  DWORD style;
  DWORD extendedStyle;
};

Win32Class ClassOf(ControlRole role) {
  switch (role) {
    case ControlRole::Label:
      return {L"STATIC", SS_LEFT, 0};
    case ControlRole::TextBox:
      return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlRole::Choice:
      return {L"BUTTON", BS_GROUPBOX, 0};  // its radio buttons stand after it
    case ControlRole::Chart:
      return {kWin32ChartClass, 0, 0};
    case ControlRole::ReadOnlyText:
      // Its lines are not wrapped: each figure stays whole on its line.
      return {L"EDIT", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
              WS_EX_CLIENTEDGE};
  }
  return {L"STATIC", 0, 0};
}

// A screen reader names the chart by its text, as any window; the other
// rows carry their caption, default text or title.
std::string_view TextOf(const WindowControl& control) {
  return control.role == ControlRole::Chart ? control.accessibleName : control.caption;
}

// The place in pixels at `dpi`, each side scaled from 96 dots per inch, so
// that controls that meet at 96 meet at every DPI.
Place AtDpi(const Place& place, int dpi) {
  const auto scaled = [dpi](Side side) { return Side{MulDiv(side.pixels, dpi, 96), side.fromFar}; };
  return {scaled(place.left), scaled(place.top), scaled(place.right), scaled(place.bottom)};
}

// A rectangle at 96 dots per inch in pixels at `dpi`, edge by edge.
Rectangle AtDpi(const Rectangle& rectangle, int dpi) {
  const int left = MulDiv(rectangle.left, dpi, 96);
  const int top = MulDiv(rectangle.top, dpi, 96);
  return {left, top, MulDiv(rectangle.left + rectangle.width, dpi, 96) - left,
          MulDiv(rectangle.top + rectangle.height, dpi, 96) - top};
}

static_assert(std::all_of(kDistributionControls.begin(), kDistributionControls.end(),
                          [](const WindowControl& row) { return row.choices.size() <= kMostChoices; }),
              "a choice's buttons would take the identifiers of the next row's");

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

ChartDrawing DrawingIn(const DistributionView& view, Gdiplus::Graphics& graphics, const Gdiplus::Font& font,
                       SIZE area, UINT dpi, bool logarithmic) {
  const TextWidth width = [&graphics, &font](std::string_view text) {
    const std::wstring wide = WideOf(text);
    Gdiplus::RectF bounds;
    graphics.MeasureString(wide.c_str(), static_cast<INT>(wide.size()), &font, Gdiplus::PointF(0, 0),
                           LabelFormat(), &bounds);
    return static_cast<double>(bounds.Width);
  };
  return DrawChart(
      view,
      {static_cast<double>(area.cx), static_cast<double>(area.cy), font.GetHeight(&graphics), dpi / 96.0},
      width, logarithmic);
}

const Win32DistributionWindow* WindowOfChart(HWND chart) {
  if (IsWindow(chart) == FALSE) return nullptr;
  return reinterpret_cast<const Win32DistributionWindow*>(GetWindowLongPtrW(GetParent(chart), GWLP_USERDATA));
}

// What the view says of the chart now; none once its window is gone.
std::optional<std::string> DescriptionOfChart(HWND chart) {
  const Win32DistributionWindow* window = WindowOfChart(chart);
  if (window == nullptr) return std::nullopt;
  return window->view().description;
}

}  // namespace

HFONT CreateDistributionFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

ChartDrawing Win32ChartDrawing(const DistributionView& view, HDC context, HFONT font, SIZE area, UINT dpi,
                               bool logarithmic) {
  Gdiplus::Graphics graphics(context);
  Prepare(graphics);
  const Gdiplus::Font gdiplusFont(context, font);
  return DrawingIn(view, graphics, gdiplusFont, area, dpi, logarithmic);
}

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

  const std::wstring title = WideOf(kDistributionWindow.title);
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
  SetFocus(control(DistributionControl::Level));
}

bool Win32DistributionWindow::TakeDialogMessage(MSG& message) {
  if (message.hwnd != window_ && IsChild(window_, message.hwnd) == FALSE) return false;
  // Esc closes the window, as it closes a dialog.
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
    ShowWindow(window_, SW_HIDE);
    return true;
  }
  return IsDialogMessageW(window_, &message) != FALSE;
}

void Win32DistributionWindow::Refresh() {
  HWND chart = control(DistributionControl::Chart);
  if (chart == nullptr) return;  // still being built
  const std::array<std::string, 4> texts = formTexts_();
  view_ = ViewOf({{texts[0], texts[1], texts[2], texts[3]},
                  WindowTextOf(control(DistributionControl::Level)),
                  WindowTextOf(control(DistributionControl::Target))});
  logarithmic_ = SendMessageW(button(DistributionControl::PriceAxis, kLogarithmicPriceAxis), BM_GETCHECK, 0,
                              0) == BST_CHECKED;
  SetWindowTextW(control(DistributionControl::Figures), WideOf(FiguresText(view_, "\r\n")).c_str());
  NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, chart, OBJID_CLIENT, CHILDID_SELF);
  InvalidateRect(chart, nullptr, FALSE);
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
  const Win32DistributionWindow* self = WindowOfChart(chart);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // painted whole
    case WM_PAINT: {
      if (self == nullptr) break;
      PAINTSTRUCT paint{};
      HDC screen = BeginPaint(chart, &paint);
      self->PaintChart(screen);
      EndPaint(chart, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      if (self == nullptr) break;
      self->PaintChart(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_GETOBJECT:
      if (static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        return AccessibleChartObject(chart, wParam, ControlOf(DistributionControl::Chart).accessibleName,
                                     DescriptionOfChart);
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(chart, message, wParam, lParam);
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
      const bool edited =
          code == EN_CHANGE && (id == Win32DistributionControlId(DistributionControl::Level) ||
                                id == Win32DistributionControlId(DistributionControl::Target));
      const int firstAxis = Win32ChoiceButtonId(DistributionControl::PriceAxis, 0);
      const bool chosen =
          code == BN_CLICKED && id >= firstAxis &&
          id < firstAxis + static_cast<int>(ControlOf(DistributionControl::PriceAxis).choices.size());
      if (chosen) {
        Choose(DistributionControl::PriceAxis);
      } else if (edited) {
        Refresh();
      }
      return 0;
    }
    case WM_NEXTDLGCTL: {
      // What a dialog does, for the boxes that ask for it: a multi-line box
      // passes Tab on this way.
      HWND next = LOWORD(lParam) != 0
                      ? reinterpret_cast<HWND>(wParam)
                      : GetNextDlgTabItem(window_, GetFocus(), static_cast<BOOL>(wParam != 0));
      if (next != nullptr) SetFocus(next);
      return 0;
    }
    case WM_CLOSE:
      ShowWindow(window_, SW_HIDE);  // kept for the next time; it ends with the form
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

// One child for each row, in the table's order, which is the z-order; a
// choice's radio buttons just after its group. Each row begins a group of
// the dialog keys, so that the arrows move only among a choice's buttons.
void Win32DistributionWindow::CreateControls() {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  const auto create = [this, instance](const wchar_t* className, std::string_view text, DWORD style,
                                       DWORD extendedStyle, int id) {
    return CreateWindowExW(extendedStyle, className, WideOf(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0,
                           0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                           nullptr);
  };
  for (std::size_t i = 0; i < kDistributionControls.size(); ++i) {
    const WindowControl& row = kDistributionControls[i];
    const auto which = static_cast<DistributionControl>(i);
    const Win32Class windowClass = ClassOf(row.role);
    controls_[i] = create(windowClass.name, TextOf(row), WS_GROUP | windowClass.style,
                          windowClass.extendedStyle, Win32DistributionControlId(which));
    for (std::size_t b = 0; b < row.choices.size(); ++b) {
      create(L"BUTTON", row.choices[b], BS_AUTORADIOBUTTON | (b == 0 ? WS_GROUP : 0), 0,
             Win32ChoiceButtonId(which, b));
    }
    if (!row.choices.empty()) {
      SendMessageW(button(which, 0), BM_SETCHECK, BST_CHECKED, 0);
      Choose(which);
    }
  }
}

// The Tab key stops at a choice's checked button, as in a dialog.
void Win32DistributionWindow::Choose(DistributionControl choice) {
  for (std::size_t b = 0; b < ControlOf(choice).choices.size(); ++b) {
    HWND radio = button(choice, b);
    const bool checked = SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED;
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(radio, GWL_STYLE));
    SetWindowLongPtrW(radio, GWL_STYLE,
                      checked ? style | WS_TABSTOP : style & ~static_cast<DWORD>(WS_TABSTOP));
  }
  Refresh();
}

// Every control where its row puts it in the client area, at the window's
// DPI, and a choice's buttons inside their group.
void Win32DistributionWindow::Layout() {
  const auto dpi = static_cast<int>(GetDpiForWindow(window_));
  RECT client{};
  GetClientRect(window_, &client);
  const auto move = [](HWND window, const Rectangle& place) {
    SetWindowPos(window, nullptr, place.left, place.top, place.width, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  };
  for (std::size_t i = 0; i < kDistributionControls.size(); ++i) {
    const WindowControl& row = kDistributionControls[i];
    const Rectangle place = RectangleOf(AtDpi(row.place, dpi), client.right, client.bottom);
    move(controls_[i], place);
    const Rectangle group{0, 0, MulDiv(place.width, 96, dpi), MulDiv(place.height, 96, dpi)};
    for (std::size_t b = 0; b < row.choices.size(); ++b) {
      const Rectangle inGroup = AtDpi(ChoiceButtonOf(group, b, row.choices.size()), dpi);
      move(button(static_cast<DistributionControl>(i), b),
           {place.left + inGroup.left, place.top + inGroup.top, inGroup.width, inGroup.height});
    }
  }
  InvalidateRect(control(DistributionControl::Chart), nullptr, FALSE);
}

// The font and the client area's size for the DPI, and every control placed
// for them.
void Win32DistributionWindow::ApplyDpi(UINT dpi) {
  HFONT font = CreateDistributionFont(dpi);
  for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;
  const auto pixelsPerInch = static_cast<int>(dpi);
  RECT frame{0, 0, MulDiv(kDistributionWindow.width, pixelsPerInch, 96),
             MulDiv(kDistributionWindow.height, pixelsPerInch, 96)};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)), dpi);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();  // the size may be the same, and send no WM_SIZE
}

// The shared drawing as it is given, antialiased with GDI+, drawn off screen
// and then copied, so that nothing flickers while the window is resized.
void Win32DistributionWindow::PaintChart(HDC target) const {
  HWND chart = control(DistributionControl::Chart);
  RECT area{};
  GetClientRect(chart, &area);
  HDC offscreen = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, area.right, area.bottom);
  const HGDIOBJ previous = SelectObject(offscreen, bitmap);
  {
    Gdiplus::Graphics graphics(offscreen);
    Prepare(graphics);
    const COLORREF background = GetSysColor(COLOR_WINDOW);
    graphics.Clear(Gdiplus::Color(255, GetRValue(background), GetGValue(background), GetBValue(background)));
    const Gdiplus::Font font(offscreen, font_);
    const ChartDrawing drawing =
        DrawingIn(view_, graphics, font, {area.right, area.bottom}, GetDpiForWindow(chart), logarithmic_);
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
  BitBlt(target, 0, 0, area.right, area.bottom, offscreen, 0, 0, SRCCOPY);
  SelectObject(offscreen, previous);
  DeleteObject(bitmap);
  DeleteDC(offscreen);
}

}  // namespace cotalia
