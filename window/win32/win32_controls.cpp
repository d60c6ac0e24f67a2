// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/win32/win32_controls.h"

// After windows.h, which it needs.
#include <commctrl.h>

#include <optional>
#include <string>
#include <string_view>

#include "window/win32/win32_chart_accessible.h"
#include "window/win32/win32_described_window.h"
#include "window/win32/win32_text.h"

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
    case ControlRole::CentredLabel:
      // A caption wider than its label wraps onto a second line.
      return {L"STATIC", SS_CENTER, 0};
    case ControlRole::TextBox:
      return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlRole::Choice:
      return {L"BUTTON", BS_GROUPBOX, 0};  // its radio buttons stand after it
    case ControlRole::Chart:
      // A stop of the Tab key, so that the menu's chart commands can be
      // aimed at either chart of a window without the mouse.
      return {kWin32ChartClass, WS_TABSTOP, 0};
    case ControlRole::ReadOnlyText:
      // Its lines wrap at the box's edge: a message naming its box, or a
      // figure wider than the box in a wider face than laid out for, stays
      // in sight rather than scroll sideways.
      return {L"EDIT", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
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

// The property of a written line that holds its row, whose name screen
// readers hear.
constexpr wchar_t kRowProperty[] = L"CotaliaRow";

// A line's text as screen readers read it; none once the line is gone.
std::optional<std::string> TextOfLine(HWND line) {
  if (IsWindow(line) == FALSE) return std::nullopt;
  return WindowTextOf(line);
}

// A static control that answers screen readers with its row's name, its
// text being its value; the rest is the static control's own, whose
// procedure the line keeps in its user data.
LRESULT CALLBACK LineProcedure(HWND line, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto base = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(line, GWLP_USERDATA));
  const auto* row = static_cast<const WindowControl*>(GetPropW(line, kRowProperty));
  if (message == WM_GETOBJECT && row != nullptr &&
      static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
    return AccessibleLineObject(line, wParam, row->accessibleName, TextOfLine);
  }
  if (message == WM_NCDESTROY) RemovePropW(line, kRowProperty);
  return CallWindowProcW(base, line, message, wParam, lParam);
}

HWND CreateChild(HWND parent, const wchar_t* className, std::string_view text, DWORD style,
                 DWORD extendedStyle, int id) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  return CreateWindowExW(extendedStyle, className, WideOf(text).c_str(), WS_CHILD | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

// The Tab key stops at a choice's checked button, as in a dialog: the
// first, at first.
void CreateChoiceButtons(const WindowControl& control, std::size_t row, HWND parent) {
  for (std::size_t b = 0; b < control.choices.size(); ++b) {
    HWND button = CreateChild(parent, L"BUTTON", control.choices[b],
                              WS_VISIBLE | BS_AUTORADIOBUTTON | (b == 0 ? WS_GROUP | WS_TABSTOP : 0), 0,
                              Win32ChoiceId(row, b));
    if (b == 0) SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);
  }
}

}  // namespace

HWND CreateControl(std::span<const WindowControl> rows, std::size_t row, HWND parent, int id, DWORD style) {
  const WindowControl& control = rows[row];
  const Win32Class windowClass = ClassOf(control.role);
  const DWORD visible = HiddenAtFirst(rows, row) ? 0 : WS_VISIBLE;
  HWND created = CreateChild(parent, windowClass.name, TextOf(control), style | visible | windowClass.style,
                             windowClass.extendedStyle, id);
  if (control.role == ControlRole::Progress) SendMessageW(created, PBM_SETRANGE32, 0, kProgressSteps);
  if (IsWrittenLine(control)) {
    SetPropW(created, kRowProperty, const_cast<WindowControl*>(&control));
    SetWindowLongPtrW(created, GWLP_USERDATA, GetWindowLongPtrW(created, GWLP_WNDPROC));
    SetWindowLongPtrW(created, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LineProcedure));
  }
  CreateChoiceButtons(control, row, parent);
  return created;
}

}  // namespace cotalia
