// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/window/win32/win32_test_support.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "window/win32/win32_main_window.h"

namespace cotalia {

std::wstring g_executable;

std::size_t ControlNamed(std::string_view name) {
  const auto control = std::find_if(kControls.begin(), kControls.end(),
                                    [name](const WindowControl& c) { return c.name == name; });
  if (control == kControls.end()) ADD_FAILURE() << "no control " << name;
  return static_cast<std::size_t>(control - kControls.begin());
}

std::wstring TextOf(HWND window) {
  const auto length = static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return text;
}

std::wstring ClassNameOf(HWND window) {
  std::array<wchar_t, 64> name{};
  GetClassNameW(window, name.data(), static_cast<int>(name.size()));
  return name.data();
}

namespace {

IAccessible* AccessibleOf(HWND control) {
  IAccessible* accessible = nullptr;
  if (AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                 reinterpret_cast<void**>(&accessible)) != S_OK) {
    return nullptr;
  }
  return accessible;
}

VARIANT Self() {
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  return self;
}

}  // namespace

std::wstring AccessibleTextOf(HWND control, AccessibleText text) {
  IAccessible* accessible = AccessibleOf(control);
  if (accessible == nullptr) return L"(no accessible object)";
  BSTR value = nullptr;
  (accessible->*text)(Self(), &value);
  std::wstring result = value == nullptr ? L"(none)" : value;
  SysFreeString(value);
  accessible->Release();
  return result;
}

std::wstring AnnouncedNameOf(HWND control) { return AccessibleTextOf(control, &IAccessible::get_accName); }

LONG AccessibleRoleOf(HWND control) {
  IAccessible* accessible = AccessibleOf(control);
  if (accessible == nullptr) return -1;
  VARIANT role{};
  accessible->get_accRole(Self(), &role);
  accessible->Release();
  return role.vt == VT_I4 ? role.lVal : -1;
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"(clipboard busy)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

HWND DistributionControlOf(HWND distribution, DistributionControl control) {
  return GetDlgItem(distribution, Win32DistributionControlId(control));
}

namespace {

// The system's window class that each role is made of.
std::wstring ClassOfRole(ControlRole role) {
  switch (role) {
    case ControlRole::Label:
    case ControlRole::CentredLabel:
      return L"Static";
    case ControlRole::TextBox:
    case ControlRole::ReadOnlyText:
      return L"Edit";
    case ControlRole::Choice:  // a group box
      return L"Button";
    case ControlRole::Chart:
      return kWin32ChartClass;
    case ControlRole::List:
      return L"ListBox";
    case ControlRole::Button:
      return L"Button";
    case ControlRole::Progress:
      return L"msctls_progress32";
    case ControlRole::Note:
      return L"Static";
  }
  return L"(no class)";
}

// Left, top, width and height in the client area of `window`.
std::array<LONG, 4> PlaceIn(HWND window, HWND control) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&place), 2);
  return {place.left, place.top, place.right - place.left, place.bottom - place.top};
}

LONG_PTR ButtonTypeOf(HWND button) { return GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK; }

}  // namespace

void TypeInto(HWND box, std::string_view text) {
  const std::wstring wide = WideOf(text);
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::wstring WithLineFeeds(std::wstring text) {
  for (std::size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at)) {
    text.erase(at, 1);
  }
  return text;
}

std::vector<HWND> g_described;

void CALLBACK HearDescriptionChange(HWINEVENTHOOK /*hook*/, DWORD event, HWND window, LONG object, LONG child,
                                    DWORD /*thread*/, DWORD /*time*/) {
  if (event == EVENT_OBJECT_DESCRIPTIONCHANGE && object == OBJID_CLIENT && child == CHILDID_SELF) {
    g_described.push_back(window);
  }
}

bool HeardDescriptionChange(HWND window) {
  return WaitFor([window] {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    return std::find(g_described.begin(), g_described.end(), window) != g_described.end();
  });
}

void ExpectBuiltFromTable(HWND window, const WindowDescription& description) {
  EXPECT_EQ(TextOf(window), WideOf(description.title));
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, description.width);
  EXPECT_EQ(client.bottom, description.height);
  HWND inZOrder = GetWindow(window, GW_CHILD);
  for (std::size_t i = 0; i < description.controls.size(); ++i) {
    const WindowControl& row = description.controls[i];
    SCOPED_TRACE(std::string(row.name));
    HWND control = GetDlgItem(window, Win32RowId(i));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control, inZOrder) << "out of the table's order";
    inZOrder = GetWindow(control, GW_HWNDNEXT);
    EXPECT_EQ(_wcsicmp(ClassNameOf(control).c_str(), ClassOfRole(row.role).c_str()), 0)
        << ClassNameOf(control).c_str();
    const Rectangle place = RectangleOf(row.place, client.right, client.bottom);
    EXPECT_EQ(PlaceIn(window, control),
              (std::array<LONG, 4>{place.left, place.top, place.width, place.height}));
    if (!row.accessibleName.empty()) {
      EXPECT_EQ(AnnouncedNameOf(control), WideOf(row.accessibleName));
    }
    const bool hidden = row.role == ControlRole::Progress ||
                        (i > 0 && description.controls[i - 1].role == ControlRole::Progress);
    EXPECT_EQ(IsWindowVisible(control) == FALSE, hidden);
    switch (row.role) {
      case ControlRole::Label:
      case ControlRole::CentredLabel:
      case ControlRole::TextBox:
      case ControlRole::Button:
        EXPECT_EQ(TextOf(control), WideOf(row.caption));
        break;
      case ControlRole::Note:
        // A note without a caption is a line the window writes; its text is
        // the window's, and what it is called is its name alone.
        if (row.caption.empty()) {
          EXPECT_EQ(AccessibleRoleOf(control), ROLE_SYSTEM_STATICTEXT);
          EXPECT_EQ(AccessibleTextOf(control, &IAccessible::get_accValue), TextOf(control));
        } else {
          EXPECT_EQ(TextOf(control), WideOf(row.caption));
        }
        break;
      case ControlRole::Chart:
        EXPECT_EQ(TextOf(control), WideOf(row.accessibleName));
        EXPECT_EQ(AccessibleRoleOf(control), ROLE_SYSTEM_CHART);
        break;
      case ControlRole::Choice: {
        EXPECT_EQ(TextOf(control), WideOf(row.caption));
        EXPECT_EQ(ButtonTypeOf(control), BS_GROUPBOX);
        const Rectangle group{0, 0, place.width, place.height};
        for (std::size_t b = 0; b < row.choices.size(); ++b) {
          SCOPED_TRACE(std::string(row.choices[b]));
          HWND button = GetDlgItem(window, Win32ChoiceId(i, b));
          ASSERT_NE(button, nullptr);
          EXPECT_EQ(button, inZOrder) << "out of the choices' order";
          inZOrder = GetWindow(button, GW_HWNDNEXT);
          EXPECT_EQ(_wcsicmp(ClassNameOf(button).c_str(), L"Button"), 0);
          EXPECT_EQ(ButtonTypeOf(button), BS_AUTORADIOBUTTON);
          EXPECT_EQ(TextOf(button), WideOf(row.choices[b]));
          EXPECT_EQ(AnnouncedNameOf(button), WideOf(row.choices[b]));
          EXPECT_EQ(SendMessageW(button, BM_GETCHECK, 0, 0), b == 0 ? BST_CHECKED : BST_UNCHECKED);
          const Rectangle inGroup = ChoiceButtonOf(group, b, row.choices.size());
          EXPECT_EQ(PlaceIn(window, button),
                    (std::array<LONG, 4>{place.left + inGroup.left, place.top + inGroup.top, inGroup.width,
                                         inGroup.height}));
        }
        break;
      }
      case ControlRole::ReadOnlyText:
        EXPECT_NE(GetWindowLongPtrW(control, GWL_STYLE) & ES_READONLY, 0);
        break;
      case ControlRole::List:
        EXPECT_NE(GetWindowLongPtrW(control, GWL_STYLE) & LBS_NOTIFY, 0);
        break;
      case ControlRole::Progress:
        break;
    }
  }
  EXPECT_EQ(inZOrder, nullptr) << "a control that is not in the table";
}

HWND EstimationControlOf(HWND estimation, EstimationControl control) {
  return GetDlgItem(estimation, Win32EstimationControlId(control));
}

HWND PastePrices(const RunningProgram& program, std::string_view text) {
  PutTextOnClipboard(nullptr, text);
  PostMessageW(program.window(), WM_COMMAND, Win32MenuId(MenuCommand::PastePrices), 0);
  return program.shown(kWin32EstimationClass);
}

void Press(const RunningProgram& program, WPARAM key) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16 | 1;
  HWND focus = program.focus();
  PostMessageW(focus, WM_KEYDOWN, key, scan);
  PostMessageW(focus, WM_KEYUP, key, scan | static_cast<LPARAM>(0xC0000000));
}

std::vector<std::wstring> FiltersOf(HWND dialog) {
  HWND types = GetDlgItem(dialog, cmb1);
  std::vector<std::wstring> filters;
  for (LRESULT i = 0; i < SendMessageW(types, CB_GETCOUNT, 0, 0); ++i) {
    std::wstring item(static_cast<std::size_t>(SendMessageW(types, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    item.resize(static_cast<std::size_t>(
        SendMessageW(types, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()))));
    filters.push_back(item);
  }
  return filters;
}

void ChooseFilter(HWND dialog, std::size_t index) {
  HWND types = GetDlgItem(dialog, cmb1);
  SendMessageW(types, CB_SETCURSEL, index, 0);
  for (const WORD notification : {CBN_SELCHANGE, CBN_SELENDOK}) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, notification), reinterpret_cast<LPARAM>(types));
  }
}

void TypeFileName(HWND dialog, const std::wstring& file, int button) {
  HWND name = GetDlgItem(dialog, cmb13);
  if (name != nullptr && FindWindowExW(name, nullptr, L"Edit", nullptr) != nullptr) {
    name = FindWindowExW(name, nullptr, L"Edit", nullptr);
  }
  if (name == nullptr) name = GetDlgItem(dialog, edt1);
  ASSERT_NE(name, nullptr);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

Picture ScreenPixelsOf(HWND window) {
  SetWindowPos(GetAncestor(window, GA_ROOT), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) {
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return {};
  }
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  const auto count = static_cast<std::size_t>(client.right) * client.bottom;
  const auto read = [&] {
    BitBlt(memory, 0, 0, client.right, client.bottom, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    Picture picture{client.right, client.bottom, {}};
    for (std::size_t i = 0; i < count; ++i) picture.pixels.push_back(pixels[i] & 0xFFFFFF);
    return picture;
  };
  Picture picture = read();
  WaitFor([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Picture again = read();
    const bool settled = again.pixels == picture.pixels;
    picture = std::move(again);
    return settled;
  });
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return picture;
}

int Red(std::uint32_t pixel) { return static_cast<int>(pixel >> 16 & 0xFF); }
int Green(std::uint32_t pixel) { return static_cast<int>(pixel >> 8 & 0xFF); }
int Blue(std::uint32_t pixel) { return static_cast<int>(pixel & 0xFF); }

std::optional<std::string> ClipboardBlockOf(UINT format) {
  if (!OpenClipboard(nullptr)) return std::nullopt;
  std::optional<std::string> bytes;
  if (HANDLE data = GetClipboardData(format)) {
    if (const auto* start = static_cast<const char*>(GlobalLock(data))) {
      bytes.emplace(start, GlobalSize(data));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return bytes;
}

void EmptyTheClipboard() {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

}  // namespace cotalia
