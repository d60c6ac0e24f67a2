// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/win32/win32_described_window.h"

// After windows.h, which they need.
#include <commctrl.h>
#include <commdlg.h>
#include <gdiplus.h>
#include <objbase.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <utility>

#include "window/charts/chart_svg.h"
#include "window/exports/clipboard_table.h"
#include "window/win32/win32_chart_accessible.h"
#include "window/win32/win32_save_file.h"
#include "window/win32/win32_text.h"
#include "window/win32/win32_window_class.h"

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
      // A stop of the Tab key, so that the menu's chart commands can be
      // aimed at either chart of a window without the mouse.
      return {kWin32ChartClass, WS_TABSTOP, 0};
    case ControlRole::ReadOnlyText:
      // Its lines are not wrapped: each figure stays whole on its line, and
      // one wider than the box (in a wider face than the table was laid out
      // for) is scrolled to.
      return {
          L"EDIT",
          WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
          WS_EX_CLIENTEDGE};
    case ControlRole::List:
      // The height the row gives it, not a whole number of items.
      return {L"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE};
    case ControlRole::Button:
      return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlRole::Progress:
      return {PROGRESS_CLASSW, 0, 0};
    case ControlRole::Note:
      // SS_LEFT wraps at words; an '&' in the sentence is a letter.
      return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
  }
  return {L"STATIC", 0, 0};
}

// A screen reader names a control by its text, as any window, or by the
// label before it. The rows that show no text of their own (a chart, a
// list, a progress bar) carry the name they are announced by; the others
// their caption, default text or title.
std::string_view TextOf(const WindowControl& control) {
  switch (control.role) {
    case ControlRole::Chart:
    case ControlRole::List:
    case ControlRole::Progress:
      return control.accessibleName;
    default:
      return control.caption;
  }
}

// A progress bar shows only while its task runs, and the button after it
// (which stops the task) with it.
bool HiddenAtFirst(std::span<const WindowControl> rows, std::size_t row) {
  return rows[row].role == ControlRole::Progress || (row > 0 && rows[row - 1].role == ControlRole::Progress);
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

// The chart's area and its labels' measure in that graphics and font: what
// a drawing is laid out in, and a reading of it taken.
void MeasuredIn(Gdiplus::Graphics& graphics, const Gdiplus::Font& font, SIZE area, UINT dpi,
                const std::function<void(const ChartArea&, const TextWidth&)>& use) {
  const TextWidth width = [&graphics, &font](std::string_view text) {
    const std::wstring wide = WideOf(text);
    Gdiplus::RectF bounds;
    graphics.MeasureString(wide.c_str(), static_cast<INT>(wide.size()), &font, Gdiplus::PointF(0, 0),
                           LabelFormat(), &bounds);
    return static_cast<double>(bounds.Width);
  };
  use({static_cast<double>(area.cx), static_cast<double>(area.cy), font.GetHeight(&graphics), dpi / 96.0},
      width);
}

ChartDrawing DrawingIn(const ChartDrawer& drawer, Gdiplus::Graphics& graphics, const Gdiplus::Font& font,
                       SIZE area, UINT dpi) {
  if (!drawer) return {};
  ChartDrawing drawing;
  MeasuredIn(graphics, font, area, dpi,
             [&](const ChartArea& chartArea, const TextWidth& width) { drawing = drawer(chartArea, width); });
  return drawing;
}

// A line's text as screen readers read it; none once the line is gone.
std::optional<std::string> TextOfLine(HWND line) {
  if (IsWindow(line) == FALSE) return std::nullopt;
  return WindowTextOf(line);
}

// A line the window writes rather than the table: a note without a caption,
// named for screen readers.
bool IsWrittenLine(const WindowControl& row) {
  return row.role == ControlRole::Note && row.caption.empty() && !row.accessibleName.empty();
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

// A 32-bit device-independent bitmap, rows from the bottom up as CF_DIB
// holds them; empty where the image cannot be read.
std::string DibOf(Gdiplus::Bitmap& image) {
  const UINT width = image.GetWidth();
  const UINT height = image.GetHeight();
  Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  Gdiplus::BitmapData pixels{};
  if (image.LockBits(&whole, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &pixels) != Gdiplus::Ok) {
    return {};
  }
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = static_cast<LONG>(width);
  header.biHeight = static_cast<LONG>(height);
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  const std::size_t row = std::size_t{width} * 4;
  header.biSizeImage = static_cast<DWORD>(row * height);
  std::string bytes(sizeof header + row * height, '\0');
  std::memcpy(bytes.data(), &header, sizeof header);
  for (UINT y = 0; y < height; ++y) {
    const auto* from =
        static_cast<const char*>(pixels.Scan0) + static_cast<std::ptrdiff_t>(y) * pixels.Stride;
    std::memcpy(bytes.data() + sizeof header + (height - 1 - y) * row, from, row);
  }
  image.UnlockBits(&pixels);
  return bytes;
}

std::optional<CLSID> PngEncoder() {
  UINT count = 0;
  UINT size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return std::nullopt;
  std::vector<std::byte> buffer(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok) return std::nullopt;
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring_view(encoders[i].MimeType) == L"image/png") return encoders[i].Clsid;
  }
  return std::nullopt;
}

// The image as a PNG file's bytes, encoded by GDI+ into memory (a stream on
// a global block, which ole32 gives); empty where it cannot be encoded.
std::string PngOf(Gdiplus::Bitmap& image) {
  const std::optional<CLSID> encoder = PngEncoder();
  IStream* stream = nullptr;
  if (!encoder || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return {};
  std::string bytes;
  STATSTG status{};
  HGLOBAL block = nullptr;
  if (image.Save(stream, &*encoder, nullptr) == Gdiplus::Ok &&
      SUCCEEDED(stream->Stat(&status, STATFLAG_NONAME)) && SUCCEEDED(GetHGlobalFromStream(stream, &block))) {
    if (const auto* start = static_cast<const char*>(GlobalLock(block))) {
      bytes.assign(start, static_cast<std::size_t>(status.cbSize.QuadPart));
      GlobalUnlock(block);
    }
  }
  stream->Release();
  return bytes;
}

// Posted by "Guardar gráfico como…" with the chart's row, so that the menu
// command returns before the dialog runs its loop, as the form's open
// dialog is.
constexpr UINT kAskForChartFile = WM_APP + 1;

// The save dialog's filters: each kind's caption and its extension's
// pattern ended by a null, and a null after the last.
std::wstring ChartFilterText() {
  std::wstring text;
  for (const ChartFileKind& kind : kChartFileKinds) {
    text += WideOf(kind.caption);
    text += L'\0';
    text += L"*." + WideOf(kind.extension);
    text += L'\0';
  }
  return text;  // its own terminating null is the last
}

void RegisterChartClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW chartClass{};
  chartClass.cbSize = sizeof chartClass;
  chartClass.lpfnWndProc = procedure;
  chartClass.hInstance = instance;
  chartClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  chartClass.lpszClassName = kWin32ChartClass;
  RegisterClassExW(&chartClass);  // fails, harmlessly, for the second window
}

}  // namespace

Win32MenuBar CreateWin32MenuBar(std::span<const MenuItem> items) {
  HMENU bar = CreateMenu();
  HMENU menu = nullptr;
  std::string_view title;
  std::vector<ACCEL> accelerators;
  for (const MenuItem& item : items) {
    if (item.qtOnly) continue;
    if (menu == nullptr || item.menu != title) {
      menu = CreatePopupMenu();
      AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), WideOf(item.menu).c_str());
      title = item.menu;
    }
    const auto id = static_cast<WORD>(Win32MenuId(item.command));
    std::string caption(item.caption);
    if (!item.win32Shortcut.empty()) caption += "\t" + std::string(item.win32Shortcut);
    AppendMenuW(menu, MF_STRING, id, WideOf(caption).c_str());
    if (const std::optional<Shortcut> shortcut = ParseShortcut(item.win32Shortcut)) {
      BYTE flags = FVIRTKEY;
      if (shortcut->control) flags |= FCONTROL;
      if (shortcut->shift) flags |= FSHIFT;
      if (shortcut->alt) flags |= FALT;
      const WORD key = shortcut->letter != '\0' ? static_cast<WORD>(shortcut->letter)
                                                : static_cast<WORD>(VK_F1 + shortcut->functionKey - 1);
      accelerators.push_back({flags, key, id});
    }
  }
  return {bar, CreateAcceleratorTableW(accelerators.data(), static_cast<int>(accelerators.size()))};
}

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

bool PutOnClipboard(HWND owner, std::span<const ClipboardBlock> blocks) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool placed = true;
  for (const ClipboardBlock& block : blocks) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, std::max<std::size_t>(block.bytes.size(), 1));
    void* start = memory != nullptr ? GlobalLock(memory) : nullptr;
    if (start == nullptr) {
      if (memory != nullptr) GlobalFree(memory);
      placed = false;
      continue;
    }
    std::memcpy(start, block.bytes.data(), block.bytes.size());
    GlobalUnlock(memory);
    // The clipboard owns the block once it takes it.
    if (SetClipboardData(block.format, memory) == nullptr) {
      GlobalFree(memory);
      placed = false;
    }
  }
  CloseClipboard();
  return placed;
}

void PutTextOnClipboard(HWND owner, std::string_view utf8, std::string_view html) {
  const std::wstring text = WideOf(utf8);
  std::vector<ClipboardBlock> blocks{{CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(text.c_str()),
                                                                  (text.size() + 1) * sizeof(wchar_t))}};
  if (!html.empty()) {
    // UTF-8 with its header of offsets, and a null after it that the
    // offsets do not count.
    std::string fragment = WindowsHtmlClipboardOf(html);
    fragment += '\0';
    blocks.push_back({RegisterClipboardFormatW(L"HTML Format"), std::move(fragment)});
  }
  PutOnClipboard(owner, blocks);
}

std::optional<std::string> TextOnClipboard(HWND owner) {
  if (!OpenClipboard(owner)) return std::nullopt;
  std::optional<std::string> text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      // Up to its terminating null, and never past the block.
      const std::size_t most = GlobalSize(data) / sizeof(wchar_t);
      text = Utf8Of(std::wstring_view(wide, std::find(wide, wide + most, L'\0') - wide));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

Win32DescribedWindow::Win32DescribedWindow(const WindowDescription& description)
    : description_(description),
      controls_(description.controls.size(), nullptr),
      charts_(description.controls.size()) {
  const Gdiplus::GdiplusStartupInput startup;
  Gdiplus::GdiplusStartup(&gdiplus_, &startup, nullptr);
}

Win32DescribedWindow::~Win32DescribedWindow() {
  if (IsWindow(window_)) {
    // The window's own part is gone already: nothing may reach it now.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
  if (font_ != nullptr) DeleteObject(font_);
  Gdiplus::GdiplusShutdown(gdiplus_);
}

void Win32DescribedWindow::Create(HINSTANCE instance, HWND owner, const wchar_t* className,
                                  std::span<const MenuItem> menu) {
  RegisterTopLevelClass(instance, Procedure, className);
  RegisterChartClass(instance, ChartProcedure);
  HMENU bar = nullptr;
  if (!menu.empty()) {
    const Win32MenuBar menuBar = CreateWin32MenuBar(menu);
    bar = menuBar.menu;
    accelerators_ = menuBar.accelerators;
  }
  // The menu is part of the frame from the start: the client area keeps its
  // size below it.
  const std::wstring title = WideOf(description_.title);
  CreateWindowExW(0, className, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, owner, bar, instance, this);
}

bool Win32DescribedWindow::TakeDialogMessage(MSG& message) {
  if (message.hwnd != window_ && IsChild(window_, message.hwnd) == FALSE) return false;
  if (accelerators_ != nullptr && TranslateAcceleratorW(window_, accelerators_, &message) != 0) return true;
  // Esc closes the window, as it closes a dialog.
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
    Close();
    return true;
  }
  return IsDialogMessageW(window_, &message) != FALSE;
}

void Win32DescribedWindow::Close() { ShowWindow(window_, SW_HIDE); }

void Win32DescribedWindow::ShowControl(HWND control, bool shown) {
  if (!shown && GetFocus() == control) SendMessageW(window_, WM_NEXTDLGCTL, 0, FALSE);
  ShowWindow(control, shown ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void Win32DescribedWindow::EnableControl(HWND control, bool enabled) {
  if (!enabled && GetFocus() == control) SendMessageW(window_, WM_NEXTDLGCTL, 0, FALSE);
  EnableWindow(control, enabled ? TRUE : FALSE);
}

void Win32DescribedWindow::SetChartAt(std::size_t row, ChartDrawer drawer, std::string description) {
  charts_[row] = {std::move(drawer), std::move(description)};
  HWND chart = controls_[row];
  if (chart == nullptr) return;  // still being built
  NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, chart, OBJID_CLIENT, CHILDID_SELF);
  InvalidateRect(chart, nullptr, FALSE);
}

LRESULT CALLBACK Win32DescribedWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Win32DescribedWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32DescribedWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self != nullptr ? self->Handle(message, wParam, lParam)
                         : DefWindowProcW(window, message, wParam, lParam);
}

Win32DescribedWindow* Win32DescribedWindow::WindowOfChild(HWND child, std::size_t& row) {
  if (IsWindow(child) == FALSE) return nullptr;
  auto* self = reinterpret_cast<Win32DescribedWindow*>(GetWindowLongPtrW(GetParent(child), GWLP_USERDATA));
  const int id = GetDlgCtrlID(child);
  if (self == nullptr || id < Win32RowId(0) || id >= Win32RowId(self->charts_.size())) return nullptr;
  row = static_cast<std::size_t>(id - Win32RowId(0));
  return self;
}

// What the window says of the chart now; none once its window is gone.
std::optional<std::string> Win32DescribedWindow::DescriptionOfChart(HWND chart) {
  std::size_t row = 0;
  const Win32DescribedWindow* self = WindowOfChild(chart, row);
  if (self == nullptr) return std::nullopt;
  return self->charts_[row].description;
}

LRESULT CALLBACK Win32DescribedWindow::ChartProcedure(HWND chart, UINT message, WPARAM wParam,
                                                      LPARAM lParam) {
  std::size_t row = 0;
  Win32DescribedWindow* self = WindowOfChild(chart, row);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // painted whole
    case WM_PAINT: {
      if (self == nullptr) break;
      PAINTSTRUCT paint{};
      HDC screen = BeginPaint(chart, &paint);
      self->PaintChart(row, screen);
      EndPaint(chart, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      if (self == nullptr) break;
      self->PaintChart(row, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(chart);
      return 0;
    case WM_MOUSEMOVE:
      if (self != nullptr) self->ChartPointer(row, static_cast<short>(LOWORD(lParam)));
      return 0;
    case WM_GETDLGCODE:
      // The arrows move along the chart rather than to the next control;
      // Tab still leaves it.
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      if (self != nullptr && self->ChartKey(row, wParam)) return 0;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
      InvalidateRect(chart, nullptr, FALSE);  // its focus rectangle
      break;
    case WM_GETOBJECT:
      if (self != nullptr && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        return AccessibleChartObject(chart, wParam, self->description_.controls[row].accessibleName,
                                     DescriptionOfChart);
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(chart, message, wParam, lParam);
}

// A static control that answers screen readers with its row's name, its
// text being its value; the rest is the static control's own, whose
// procedure the line keeps in its user data.
LRESULT CALLBACK Win32DescribedWindow::LineProcedure(HWND line, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto base = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(line, GWLP_USERDATA));
  if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
    std::size_t row = 0;
    if (const Win32DescribedWindow* self = WindowOfChild(line, row)) {
      return AccessibleLineObject(line, wParam, self->description_.controls[row].accessibleName, TextOfLine);
    }
  }
  return CallWindowProcW(base, line, message, wParam, lParam);
}

void Win32DescribedWindow::ChartPointer(std::size_t /*row*/, int /*x*/) {}

bool Win32DescribedWindow::ChartKey(std::size_t /*row*/, WPARAM /*key*/) { return false; }

void Win32DescribedWindow::MeasureChartAt(
    std::size_t row, const std::function<void(const ChartArea&, const TextWidth&)>& use) const {
  HWND chart = controls_[row];
  RECT client{};
  GetClientRect(chart, &client);
  HDC context = GetDC(chart);
  {
    Gdiplus::Graphics graphics(context);
    Prepare(graphics);
    const Gdiplus::Font font(context, font_);
    MeasuredIn(graphics, font, {client.right, client.bottom}, GetDpiForWindow(chart), use);
  }
  ReleaseDC(chart, context);
}

void Win32DescribedWindow::SetLineAt(std::size_t row, std::string_view utf8) const {
  HWND line = controls_[row];
  if (line == nullptr || WindowTextOf(line) == utf8) return;
  SetWindowTextW(line, WideOf(utf8).c_str());
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, line, OBJID_CLIENT, CHILDID_SELF);
  NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, line, OBJID_CLIENT, CHILDID_SELF);
}

LRESULT Win32DescribedWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
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
      const auto control = reinterpret_cast<HWND>(lParam);
      if (control == nullptr && id == Win32MenuId(MenuCommand::SaveChart)) {
        // The chart is the one aimed at now, whatever has the focus by the
        // time the dialog opens.
        PostMessageW(window_, kAskForChartFile, ChartOfCommand(), 0);
        return 0;
      }
      if (control == nullptr && id == Win32MenuId(MenuCommand::CopyChart)) {
        CopyChart(ChartOfCommand());
        return 0;
      }
      if (control != nullptr && HIWORD(wParam) == BN_CLICKED && id >= Win32ChoiceId(0, 0)) {
        Choose((static_cast<std::size_t>(id) - Win32ChoiceId(0, 0)) / kMostChoices);
      }
      Command(id, HIWORD(wParam), control);
      return 0;
    }
    case kAskForChartFile:
      AskForChartFile(wParam);
      return 0;
    case WM_NEXTDLGCTL: {
      // What a dialog does, for the controls that ask for it: a multi-line
      // box passes Tab on this way.
      HWND next = LOWORD(lParam) != 0
                      ? reinterpret_cast<HWND>(wParam)
                      : GetNextDlgTabItem(window_, GetFocus(), static_cast<BOOL>(wParam != 0));
      if (next != nullptr) SetFocus(next);
      return 0;
    }
    case WM_ACTIVATE:
      // Keep the focus in its control when the window is left and come
      // back to.
      if (LOWORD(wParam) == WA_INACTIVE) {
        focusBeforeDeactivation_ = GetFocus();
      } else if (focusBeforeDeactivation_ != nullptr && IsChild(window_, focusBeforeDeactivation_) != FALSE) {
        SetFocus(focusBeforeDeactivation_);
        return 0;
      }
      break;
    case WM_CLOSE:
      Close();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

// One child for each row, in the table's order, which is the z-order; a
// choice's radio buttons just after its group. Each row begins a group of
// the dialog keys, so that the arrows move only among a choice's buttons.
void Win32DescribedWindow::CreateControls() {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  const auto create = [this, instance](const wchar_t* className, std::string_view text, DWORD style,
                                       DWORD extendedStyle, int id) {
    return CreateWindowExW(extendedStyle, className, WideOf(text).c_str(), WS_CHILD | style, 0, 0, 0, 0,
                           window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  const std::span<const WindowControl> rows = description_.controls;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const WindowControl& row = rows[i];
    const Win32Class windowClass = ClassOf(row.role);
    const DWORD visible = HiddenAtFirst(rows, i) ? 0 : WS_VISIBLE;
    controls_[i] = create(windowClass.name, TextOf(row), WS_GROUP | visible | windowClass.style,
                          windowClass.extendedStyle, Win32RowId(i));
    if (row.role == ControlRole::Progress) SendMessageW(controls_[i], PBM_SETRANGE32, 0, kProgressSteps);
    if (IsWrittenLine(row)) {
      SetWindowLongPtrW(controls_[i], GWLP_USERDATA, GetWindowLongPtrW(controls_[i], GWLP_WNDPROC));
      SetWindowLongPtrW(controls_[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LineProcedure));
    }
    for (std::size_t b = 0; b < row.choices.size(); ++b) {
      create(L"BUTTON", row.choices[b], WS_VISIBLE | BS_AUTORADIOBUTTON | (b == 0 ? WS_GROUP : 0), 0,
             Win32ChoiceId(i, b));
    }
    if (!row.choices.empty()) {
      SendMessageW(choiceButton(i, 0), BM_SETCHECK, BST_CHECKED, 0);
      Choose(i);
    }
  }
}

// The Tab key stops at a choice's checked button, as in a dialog.
void Win32DescribedWindow::Choose(std::size_t row) {
  if (row >= controls_.size()) return;
  for (std::size_t b = 0; b < description_.controls[row].choices.size(); ++b) {
    HWND radio = choiceButton(row, b);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(radio, GWL_STYLE));
    SetWindowLongPtrW(radio, GWL_STYLE,
                      Chosen(row, b) ? style | WS_TABSTOP : style & ~static_cast<DWORD>(WS_TABSTOP));
  }
}

// Every control where its row puts it in the client area, at the window's
// DPI, and a choice's buttons inside their group.
void Win32DescribedWindow::Layout() {
  const auto dpi = static_cast<int>(GetDpiForWindow(window_));
  RECT client{};
  GetClientRect(window_, &client);
  const auto move = [](HWND window, const Rectangle& place) {
    SetWindowPos(window, nullptr, place.left, place.top, place.width, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  };
  const std::span<const WindowControl> rows = description_.controls;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const WindowControl& row = rows[i];
    const Rectangle place = RectangleOf(AtDpi(row.place, dpi), client.right, client.bottom);
    move(controls_[i], place);
    const Rectangle group{0, 0, MulDiv(place.width, 96, dpi), MulDiv(place.height, 96, dpi)};
    for (std::size_t b = 0; b < row.choices.size(); ++b) {
      const Rectangle inGroup = AtDpi(ChoiceButtonOf(group, b, row.choices.size()), dpi);
      move(choiceButton(i, b),
           {place.left + inGroup.left, place.top + inGroup.top, inGroup.width, inGroup.height});
    }
    if (row.role == ControlRole::Chart) InvalidateRect(controls_[i], nullptr, FALSE);
  }
}

// The font and the client area's size for the DPI, and every control placed
// for them.
void Win32DescribedWindow::ApplyDpi(UINT dpi) {
  HFONT font = CreateWindowFont(dpi);
  for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;
  const auto pixelsPerInch = static_cast<int>(dpi);
  RECT frame{0, 0, MulDiv(description_.width, pixelsPerInch, 96),
             MulDiv(description_.height, pixelsPerInch, 96)};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)),
                           GetMenu(window_) != nullptr ? TRUE : FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)), dpi);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();  // the size may be the same, and send no WM_SIZE
}

// The shared drawing as it is given, antialiased with GDI+, drawn off screen
// and then copied, so that nothing flickers while the window is resized;
// with the focus rectangle where the chart has the focus and the window
// shows focus.
void Win32DescribedWindow::PaintChart(std::size_t row, HDC target) const {
  HWND chart = controls_[row];
  RECT area{};
  GetClientRect(chart, &area);
  HDC offscreen = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, area.right, area.bottom);
  const HGDIOBJ previous = SelectObject(offscreen, bitmap);
  {
    Gdiplus::Graphics graphics(offscreen);
    Prepare(graphics);
    const Gdiplus::Font font(offscreen, font_);
    PaintChartIn(graphics, charts_[row].drawer, font, {area.right, area.bottom}, GetDpiForWindow(chart));
  }
  if (GetFocus() == chart && (SendMessageW(chart, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0) {
    RECT inside = area;
    InflateRect(&inside, -1, -1);
    DrawFocusRect(offscreen, &inside);
  }
  BitBlt(target, 0, 0, area.right, area.bottom, offscreen, 0, 0, SRCCOPY);
  SelectObject(offscreen, previous);
  DeleteObject(bitmap);
  DeleteDC(offscreen);
}

// The chart that has the keyboard's focus, else the window's first; none
// (the number of rows) in a window without charts.
std::size_t Win32DescribedWindow::ChartOfCommand() const {
  const std::span<const WindowControl> rows = description_.controls;
  std::size_t first = rows.size();
  HWND focus = GetFocus();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].role != ControlRole::Chart) continue;
    if (controls_[i] == focus) return i;
    first = std::min(first, i);
  }
  return first;
}

// The drawing for the chart's size as an SVG file holds it, its text
// measured by the SVG's own table so that it reads the same everywhere,
// titled by the chart's name.
std::string Win32DescribedWindow::ChartSvg(std::size_t row) const {
  RECT client{};
  GetClientRect(controls_[row], &client);
  const ChartArea area = SvgArea(client.right, client.bottom);
  const ChartDrawer& drawer = charts_[row].drawer;
  return SvgOf(drawer ? drawer(area, SvgTextWidth(kSvgFontPixels)) : ChartDrawing{}, area,
               description_.controls[row].accessibleName);
}

// The chart as the window shows it, for programs that paste images, and as
// SVG beside it for those that take drawings.
void Win32DescribedWindow::CopyChart(std::size_t row) const {
  if (row >= controls_.size()) return;
  std::vector<ClipboardBlock> blocks;
  if (const std::unique_ptr<Gdiplus::Bitmap> image =
          ChartImage(controls_[row], charts_[row].drawer, font_, 1)) {
    if (std::string dib = DibOf(*image); !dib.empty()) blocks.push_back({CF_DIB, std::move(dib)});
  }
  blocks.push_back({RegisterClipboardFormatW(L"image/svg+xml"), ChartSvg(row)});
  PutOnClipboard(window_, blocks);
}

// The system's save dialog, modal over the window, which asks before it
// gives the name of a file that exists; the chart saved there, or a message
// that says why it could not be. A cancelled dialog does nothing.
void Win32DescribedWindow::AskForChartFile(std::size_t row) {
  if (row >= controls_.size()) return;
  const std::wstring title = WideOf(kSaveChartTitle);
  const std::wstring filters = ChartFilterText();
  // The dialog appends the chosen filter's extension to a name typed
  // without one, where it is given a default extension at all.
  const std::wstring extension = WideOf(kChartFileKinds[chartFilter_ - 1].extension);
  // Room for a long path, which the dialog can give.
  std::wstring file(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = chartFilter_;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (GetSaveFileNameW(&dialog) == FALSE) return;
  if (dialog.nFilterIndex >= 1 && dialog.nFilterIndex <= kChartFileKinds.size()) {
    chartFilter_ = dialog.nFilterIndex;
  }
  file.resize(file.find(L'\0'));
  const ChartFileKind& kind = ChartFileKindOf(Utf8Of(file), chartFilter_ - 1);
  // The wide name as it is: any script's letters reach the file system.
  if (const std::optional<std::string> problem = SaveChart(row, std::filesystem::path(file), kind)) {
    MessageBoxW(window_, WideOf(*problem).c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
  }
}

std::optional<std::string> Win32DescribedWindow::SaveChart(std::size_t row, const std::filesystem::path& path,
                                                           const ChartFileKind& kind) const {
  std::string bytes;
  if (kind.format == ChartFileFormat::Svg) {
    bytes = ChartSvg(row);
  } else if (const std::unique_ptr<Gdiplus::Bitmap> image =
                 ChartImage(controls_[row], charts_[row].drawer, font_, kind.scale)) {
    bytes = PngOf(*image);
  }
  if (bytes.empty()) return std::string(kChartNotDrawn);
  return Win32SaveFileWhole(path, bytes);
}

}  // namespace cotalia
