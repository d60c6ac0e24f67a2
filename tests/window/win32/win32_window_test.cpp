// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real Cotalia.exe, started as a child process, through window
// messages, as a screen reader or a test robot would: its controls, focus and
// Tab chain, the worked example, "Borrar", the error report and the exit
// status, the distribution window (its table, its scenario, its keys and
// the pixels of its chart), the estimation window (its table, prices pasted
// and opened, its scenario, a long reading cancelled, its keys), and the
// executable's version record.
// Usage: cotalia_win32_tests PATH\TO\Cotalia.exe [GoogleTest flags]
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <dlgs.h>
#include <gdiplus.h>
#include <oleacc.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "tests/window/window_scenarios.h"
#include "window/charts/chart_svg.h"
#include "window/estimation/background_reading.h"
#include "window/estimation/estimation_view.h"
#include "window/exports/chart_file.h"
#include "window/exports/clipboard_table.h"
#include "window/form/window_description.h"
#include "window/form/wiring.h"
#include "window/win32/win32_main_window.h"

namespace cotalia {
namespace {

std::wstring g_executable;

std::wstring WideOf(std::string_view utf8) {
  std::wstring wide(utf8.size(), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                         static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(length));
  return wide;
}

std::string Utf8Of(std::wstring_view wide) {
  std::string utf8(wide.size() * 3, '\0');
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                                         static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(length));
  return utf8;
}

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

template <typename Condition>
bool WaitFor(Condition condition) {
  for (int i = 0; i < 500; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// One running Cotalia.exe and its window.
class RunningProgram {
 public:
  RunningProgram() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + g_executable + L"\"";
    if (!CreateProcessW(g_executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process_)) {
      return;
    }
    WaitForInputIdle(process_.hProcess, 10000);
    WaitFor([this] {
      EnumWindows(
          [](HWND window, LPARAM self) -> BOOL {
            auto* program = reinterpret_cast<RunningProgram*>(self);
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            if (processId == program->process_.dwProcessId && ClassNameOf(window) == kWin32WindowClass &&
                IsWindowVisible(window)) {
              program->window_ = window;
            }
            return TRUE;
          },
          reinterpret_cast<LPARAM>(this));
      return window_ != nullptr;
    });
  }

  ~RunningProgram() {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  HWND window() const { return window_; }
  DWORD processId() const { return process_.dwProcessId; }
  HWND control(std::string_view name) const {
    return GetDlgItem(window_, Win32ControlId(ControlNamed(name)));
  }
  std::wstring text(std::string_view name) const { return TextOf(control(name)); }
  void type(std::string_view name, const std::wstring& text) const {
    SendMessageW(control(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void click(std::string_view name) const { SendMessageW(control(name), BM_CLICK, 0, 0); }

  HWND focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(process_.dwThreadId, &info);
    return info.hwndFocus;
  }

  // The exit status once the program has ended, or -1 if it has not within ten seconds.
  long exitStatus() const {
    if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) return -1;
    DWORD status = 0;
    GetExitCodeProcess(process_.hProcess, &status);
    return static_cast<long>(status);
  }

  // The program's visible window of that class (owned by `owner`, where
  // one is given), once it shows one.
  HWND shown(const wchar_t* className, HWND owner = nullptr) const {
    struct Search {
      const wchar_t* className;
      HWND owner;
      HWND found;
    } search{className, owner, nullptr};
    WaitFor([&] {
      EnumThreadWindows(
          process_.dwThreadId,
          [](HWND window, LPARAM result) -> BOOL {
            auto* search = reinterpret_cast<Search*>(result);
            if (ClassNameOf(window) == search->className && IsWindowVisible(window) &&
                (search->owner == nullptr || GetWindow(window, GW_OWNER) == search->owner)) {
              search->found = window;
              return FALSE;
            }
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&search));
      return search.found != nullptr;
    });
    return search.found;
  }

  // The program's message box or dialog, once it shows one.
  HWND messageBox(HWND owner = nullptr) const { return shown(L"#32770", owner); }

  // The distribution window after the shared worked example, opened from
  // Ver.
  HWND openDistribution() const {
    for (std::size_t i = 0; i < scenarios::kDistributionInputs.size(); ++i) {
      type("Text" + std::to_string(i + 1), WideOf(scenarios::kDistributionInputs[i]));
    }
    PostMessageW(window_, WM_COMMAND, Win32MenuId(MenuCommand::Distribution), 0);
    return shown(kWin32DistributionClass);
  }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

TEST(Win32Window, HasItsCaptionAndClientArea) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  EXPECT_EQ(TextOf(program.window()), WideOf(kWindowCaption));
  RECT client{};
  GetClientRect(program.window(), &client);
  EXPECT_EQ(client.right, 751);
  EXPECT_EQ(client.bottom, 314);
}

TEST(Win32Window, EveryControlMatchesItsDescription) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  for (const WindowControl& description : kControls) {
    SCOPED_TRACE(std::string(description.name));
    HWND control = program.control(description.name);
    ASSERT_NE(control, nullptr);
    const wchar_t* expectedClass = description.role == ControlRole::CentredLabel ? L"Static"
                                   : description.role == ControlRole::TextBox    ? L"Edit"
                                                                                 : L"Button";
    EXPECT_EQ(_wcsicmp(ClassNameOf(control).c_str(), expectedClass), 0) << ClassNameOf(control).c_str();
    EXPECT_EQ(TextOf(control), WideOf(description.caption));
    // The whole form is one group of the dialog keys; its labels centred,
    // its boxes as long as the system allows.
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    EXPECT_EQ(style & WS_GROUP, 0);
    if (description.role == ControlRole::CentredLabel) {
      EXPECT_EQ(style & SS_TYPEMASK, SS_CENTER);
    }
    if (description.role == ControlRole::TextBox) {
      EXPECT_GT(SendMessageW(control, EM_GETLIMITTEXT, 0, 0), 30000);
    }
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(HWND_DESKTOP, program.window(), reinterpret_cast<POINT*>(&place), 2);
    const Rectangle expected = RectangleOf(description.place, kForm.width, kForm.height);
    EXPECT_EQ(place.left, expected.left);
    EXPECT_EQ(place.top, expected.top);
    EXPECT_EQ(place.right - place.left, expected.width);
    EXPECT_EQ(place.bottom - place.top, expected.height);
  }
}

const std::array<const char*, 17> kTabChain = {
    "Text1",    "Text2",    "Text3",    "Text4",    "Text5",    "Text6", "Text7",  "Text8",   "Command1",
    "Command2", "Command3", "Command4", "Command5", "Command6", "Text9", "Text10", "Command7"};

TEST(Win32Window, FocusStartsInText1AndTabFollowsTheTabIndex) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  EXPECT_EQ(program.focus(), program.control("Text1"));
  for (std::size_t i = 0; i < kTabChain.size(); ++i) {
    const char* next = kTabChain[(i + 1) % kTabChain.size()];
    EXPECT_EQ(GetNextDlgTabItem(program.window(), program.control(kTabChain[i]), FALSE),
              program.control(next))
        << "after " << kTabChain[i];
    EXPECT_EQ(GetNextDlgTabItem(program.window(), program.control(next), TRUE), program.control(kTabChain[i]))
        << "before " << next;
  }
  // Real Tab keys, through the program's own message loop.
  for (std::size_t i = 1; i <= kTabChain.size(); ++i) {
    PostMessageW(program.focus(), WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(program.focus(), WM_KEYUP, VK_TAB, 0);
    const HWND expected = program.control(kTabChain[i % kTabChain.size()]);
    EXPECT_TRUE(WaitFor([&] { return program.focus() == expected; }))
        << "Tab to " << kTabChain[i % kTabChain.size()];
  }
}

// What a screen reader reads of a control through MSAA: one of its texts
// (its name, its description) and its role.
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

using AccessibleText = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);

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

// What Narrator or NVDA announce for each box of Cotalia.exe: the caption of
// its label.
TEST(Win32Window, ScreenReadersNameEachBoxAfterItsLabel) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  for (const FieldBinding& binding : kFieldBindings) {
    const std::string_view textBox = kControls[binding.textBox].name;
    EXPECT_EQ(AnnouncedNameOf(program.control(textBox)), WideOf(AccessibleNameOf(binding))) << textBox;
  }
  CoUninitialize();
}

TEST(Win32Window, ButtonsComputeTheWorkedExampleAndBorrarClears) {
  for (const scenarios::WorkedExample& example : scenarios::kWorkedExamples) {
    SCOPED_TRACE(std::string(example.name));
    RunningProgram program;
    ASSERT_NE(program.window(), nullptr);
    for (std::size_t i = 0; i < example.inputs.size(); ++i) {
      program.type("Text" + std::to_string(i + 1), WideOf(example.inputs[i]));
    }
    for (std::size_t i = 0; i < scenarios::kCalculations.size(); ++i) {
      const scenarios::Calculation& calculation = scenarios::kCalculations[i];
      program.click(scenarios::ButtonOf(calculation.action));
      EXPECT_EQ(program.text(scenarios::BoxOf(calculation.result)), WideOf(example.results[i]));
    }
    program.click("Command7");
    for (int i = 1; i <= 10; ++i) EXPECT_EQ(program.text("Text" + std::to_string(i)), L"");
  }
}

struct MenuAccelerator {
  MenuCommand command;
  BYTE flags;
  WORD key;
};

struct MenuBarCase {
  const char* name;
  std::span<const MenuItem> items;
  std::vector<std::wstring> seen;  // each menu's title and its items, with their shortcuts after a tab
  std::vector<MenuAccelerator> accelerators;
};

const MenuBarCase kMenuBarCases[] = {
    {"Form",
     kMenuItems,
     {L"&Archivo > &Abrir precios\u2026\tCtrl+O", L"&Archivo > &Salir\tAlt+F4",
      L"&Edici\u00F3n > &Copiar resultados\tCtrl+Shift+C", L"&Edici\u00F3n > &Pegar precios\tCtrl+Shift+V",
      L"&Ver > &Distribuci\u00F3n del precio\u2026\tCtrl+D", L"A&yuda > &Acerca de Cotalia"},
     {{MenuCommand::OpenPrices, FVIRTKEY | FCONTROL, 'O'},
      {MenuCommand::Quit, FVIRTKEY | FALT, VK_F4},
      {MenuCommand::CopyResults, FVIRTKEY | FCONTROL | FSHIFT, 'C'},
      {MenuCommand::PastePrices, FVIRTKEY | FCONTROL | FSHIFT, 'V'},
      {MenuCommand::Distribution, FVIRTKEY | FCONTROL, 'D'}}},
    {"Estimation",
     kEstimationMenuItems,
     {L"&Archivo > &Guardar gr\u00E1fico como\u2026\tCtrl+S", L"&Edici\u00F3n > &Copiar cifras\tCtrl+Shift+C",
      L"&Edici\u00F3n > Copiar &gr\u00E1fico\tCtrl+Shift+G"},
     {{MenuCommand::SaveChart, FVIRTKEY | FCONTROL, 'S'},
      {MenuCommand::CopyFigures, FVIRTKEY | FCONTROL | FSHIFT, 'C'},
      {MenuCommand::CopyChart, FVIRTKEY | FCONTROL | FSHIFT, 'G'}}},
    {"Distribution",
     kDistributionMenuItems,
     {L"&Archivo > &Guardar gr\u00E1fico como\u2026\tCtrl+S", L"&Edici\u00F3n > &Copiar cifras\tCtrl+Shift+C",
      L"&Edici\u00F3n > Copiar &gr\u00E1fico\tCtrl+Shift+G"},
     {{MenuCommand::SaveChart, FVIRTKEY | FCONTROL, 'S'},
      {MenuCommand::CopyFigures, FVIRTKEY | FCONTROL | FSHIFT, 'C'},
      {MenuCommand::CopyChart, FVIRTKEY | FCONTROL | FSHIFT, 'G'}}},
};

class Win32MenuBarOf : public testing::TestWithParam<MenuBarCase> {};

// The menu bar that a window sets, built here in this process: the other
// process's menu cannot be read under Wine. Each menu's title and its items
// with their shortcuts after a tab, and the accelerators of those shortcuts,
// each found by its command.
TEST_P(Win32MenuBarOf, HasItsItemsAndAccelerators) {
  const MenuBarCase& expected = GetParam();
  const Win32MenuBar bar = CreateWin32MenuBar(expected.items);
  const auto stringOf = [](HMENU menu, int position) {
    std::array<wchar_t, 128> text{};
    GetMenuStringW(menu, static_cast<UINT>(position), text.data(), static_cast<int>(text.size()),
                   MF_BYPOSITION);
    return std::wstring(text.data());
  };
  std::vector<std::wstring> seen;
  for (int i = 0; i < GetMenuItemCount(bar.menu); ++i) {
    HMENU menu = GetSubMenu(bar.menu, i);
    for (int j = 0; j < GetMenuItemCount(menu); ++j) {
      seen.push_back(stringOf(bar.menu, i) + L" > " + stringOf(menu, j));
    }
  }
  EXPECT_EQ(seen, expected.seen);
  std::array<ACCEL, 16> accelerators{};
  const int count =
      CopyAcceleratorTableW(bar.accelerators, accelerators.data(), static_cast<int>(accelerators.size()));
  ASSERT_EQ(count, static_cast<int>(expected.accelerators.size()));
  for (const MenuAccelerator& wanted : expected.accelerators) {
    const auto found = std::find_if(accelerators.begin(), accelerators.begin() + count,
                                    [&](const ACCEL& a) { return a.cmd == Win32MenuId(wanted.command); });
    ASSERT_NE(found, accelerators.begin() + count)
        << "no accelerator for " << static_cast<int>(wanted.command);
    EXPECT_EQ(found->fVirt, wanted.flags) << static_cast<int>(wanted.command);
    EXPECT_EQ(found->key, wanted.key) << static_cast<int>(wanted.command);
  }
  DestroyAcceleratorTable(bar.accelerators);
  DestroyMenu(bar.menu);
}

INSTANTIATE_TEST_SUITE_P(Windows, Win32MenuBarOf, testing::ValuesIn(kMenuBarCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The form's, and the distribution window's own.
TEST(Win32Window, HasAMenuBar) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  EXPECT_NE(GetMenu(program.window()), nullptr);
  HWND distribution = program.openDistribution();
  ASSERT_NE(distribution, nullptr);
  EXPECT_NE(GetMenu(distribution), nullptr);
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

TEST(Win32Window, AcercaDeTellsVersionCopyrightAndLicence) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  // Posted: a sent command would wait for the modal box to close.
  PostMessageW(program.window(), WM_COMMAND, Win32MenuId(MenuCommand::About), 0);
  HWND about = program.messageBox();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(TextOf(about), L"Acerca de Cotalia");
  const std::wstring text = TextOf(GetDlgItem(about, 0xFFFF));
  for (const wchar_t* part :
       {L"Cotalia 1.00", L"Copyright \u00A9 2026 Cotalia developers", L"GPL-3.0-or-later",
        L"SIN NINGUNA GARANT\u00CDA", L"https://www.gnu.org/licenses/", L"www.cotalia.example"}) {
    EXPECT_NE(text.find(part), std::wstring::npos) << part;
  }
  SendMessageW(about, WM_COMMAND, IDOK, 0);
  PostMessageW(program.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exitStatus(), 0);
}

HWND DistributionControlOf(HWND distribution, DistributionControl control) {
  return GetDlgItem(distribution, Win32DistributionControlId(control));
}

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

// The windows whose MSAA description has changed, as a screen reader hears
// of it: out of context, through this thread's messages.
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

// A window built from its table: each row a control of its role's class, in
// the table's order (the z-order), in its place, named for screen readers,
// with its caption, default text or title; a choice's radio buttons just
// after its group and inside it, the first one checked; a progress bar and
// the button after it hidden until a task runs, every other control shown.
// Call with COM started.
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

// Opens from Ver and is built from its table. Then it plays the shared
// scenario: every edit of the form's price or of its own boxes gives the
// figures and the chart's description, a bad input a message, and tells
// screen readers that the description changed; and it never writes a field.
TEST(Win32Window, DistributionWindowPlaysItsScenario) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  HWND distribution = program.openDistribution();
  ASSERT_NE(distribution, nullptr);
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  ExpectBuiltFromTable(distribution, kDistributionWindow);

  HWND figures = DistributionControlOf(distribution, DistributionControl::Figures);
  HWND chart = DistributionControlOf(distribution, DistributionControl::Chart);
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_DESCRIPTIONCHANGE, EVENT_OBJECT_DESCRIPTIONCHANGE, nullptr,
                      HearDescriptionChange, program.processId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  for (const scenarios::DistributionStep& step : scenarios::kDistributionSteps) {
    SCOPED_TRACE(std::string(step.text));
    g_described.clear();
    switch (step.box) {
      case scenarios::DistributionStep::Box::Price:
        program.type("Text1", WideOf(step.text));
        break;
      case scenarios::DistributionStep::Box::Level:
        TypeInto(DistributionControlOf(distribution, DistributionControl::Level), step.text);
        break;
      case scenarios::DistributionStep::Box::Target:
        TypeInto(DistributionControlOf(distribution, DistributionControl::Target), step.text);
        break;
    }
    EXPECT_EQ(WithLineFeeds(TextOf(figures)), WideOf(step.figures));
    // What a screen reader reads of the figures: their box's value.
    EXPECT_EQ(WithLineFeeds(AccessibleTextOf(figures, &IAccessible::get_accValue)), WideOf(step.figures));
    EXPECT_EQ(AccessibleTextOf(chart, &IAccessible::get_accDescription), WideOf(step.description));
    EXPECT_TRUE(HeardDescriptionChange(chart));
  }
  UnhookWinEvent(hook);
  CoUninitialize();
  for (int i = 5; i <= 10; ++i) EXPECT_EQ(program.text("Text" + std::to_string(i)), L" ");
}

// Tab goes round the boxes a user types into or reads and the chart, in the
// table's order, stopping at a choice's checked button; the arrows move the choice
// to the next button, where Tab then stops. A real Esc key in a box hides
// the window, and Ver shows the same window again.
TEST(Win32Window, DistributionWindowTabsRoundItsBoxesAndClosesWithEsc) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  HWND distribution = program.openDistribution();
  ASSERT_NE(distribution, nullptr);
  const auto press = [&program](WPARAM key) {
    const LPARAM scan =
        static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16 | 1;
    HWND focus = program.focus();
    PostMessageW(focus, WM_KEYDOWN, key, scan);
    PostMessageW(focus, WM_KEYUP, key, scan | static_cast<LPARAM>(0xC0000000));
  };
  // The price axis's button `chosen`, every other choice's first.
  std::size_t axisStop = 0;  // the price axis's place among the stops
  const auto stopsWithChoice = [distribution, &axisStop](std::size_t chosen) {
    std::vector<HWND> stops;
    for (std::size_t i = 0; i < kDistributionControls.size(); ++i) {
      const auto which = static_cast<DistributionControl>(i);
      switch (kDistributionControls[i].role) {
        case ControlRole::TextBox:
        case ControlRole::ReadOnlyText:
        case ControlRole::Chart:
          stops.push_back(DistributionControlOf(distribution, which));
          break;
        case ControlRole::Choice:
          if (which == DistributionControl::PriceAxis) axisStop = stops.size();
          stops.push_back(
              GetDlgItem(distribution,
                         Win32ChoiceButtonId(which, which == DistributionControl::PriceAxis ? chosen : 0)));
          break;
        case ControlRole::Label:
        case ControlRole::CentredLabel:
        case ControlRole::List:
        case ControlRole::Button:
        case ControlRole::Progress:
        case ControlRole::Note:
          break;
      }
    }
    return stops;
  };
  const auto tabRound = [&](const std::vector<HWND>& stops) {
    // The level, the target, the range's two prices, the two choices, the
    // chart, the figures and the percentiles.
    ASSERT_EQ(stops.size(), 9u);
    ASSERT_TRUE(WaitFor([&] { return program.focus() == stops[0]; }));
    for (std::size_t i = 1; i <= stops.size(); ++i) {
      press(VK_TAB);
      EXPECT_TRUE(WaitFor([&] { return program.focus() == stops[i % stops.size()]; })) << "Tab " << i;
    }
  };
  tabRound(stopsWithChoice(0));

  // To the price axis, and on to the next button with the arrow key, which
  // chooses it; from the last button, round to the first.
  const auto toPriceAxisAndRight = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = 0; i < axisStop; ++i) press(VK_TAB);
    HWND first = GetDlgItem(distribution, Win32ChoiceButtonId(DistributionControl::PriceAxis, from));
    HWND next = GetDlgItem(distribution, Win32ChoiceButtonId(DistributionControl::PriceAxis, to));
    ASSERT_TRUE(WaitFor([&] { return program.focus() == first; }));
    press(VK_RIGHT);
    EXPECT_TRUE(WaitFor([&] { return program.focus() == next; }));
    EXPECT_EQ(SendMessageW(next, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(first, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  };
  ASSERT_GT(axisStop, 0u);
  toPriceAxisAndRight(0, 1);
  const std::vector<HWND> stops = stopsWithChoice(1);
  // On past the chart and the boxes, and round to the level.
  for (std::size_t i = axisStop; i < stops.size(); ++i) press(VK_TAB);
  tabRound(stops);
  toPriceAxisAndRight(1, 0);

  const HWND box = program.focus();
  ASSERT_TRUE(IsChild(distribution, box));
  press(VK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(distribution); }));
  PostMessageW(program.window(), WM_COMMAND, Win32MenuId(MenuCommand::Distribution), 0);
  EXPECT_EQ(program.shown(kWin32DistributionClass), distribution);
  PostMessageW(program.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exitStatus(), 0);
}

// The estimation window's controls by their rows.
HWND EstimationControlOf(HWND estimation, EstimationControl control) {
  return GetDlgItem(estimation, Win32EstimationControlId(control));
}

// Edición > Pegar precios on the form, with that text on the clipboard; the
// estimation window once it shows.
HWND PastePrices(const RunningProgram& program, std::string_view text) {
  PutTextOnClipboard(nullptr, text);
  PostMessageW(program.window(), WM_COMMAND, Win32MenuId(MenuCommand::PastePrices), 0);
  return program.shown(kWin32EstimationClass);
}

// A key pressed and let go where the program's focus is, through its own
// message loop.
void Press(const RunningProgram& program, WPARAM key) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16 | 1;
  HWND focus = program.focus();
  PostMessageW(focus, WM_KEYDOWN, key, scan);
  PostMessageW(focus, WM_KEYUP, key, scan | static_cast<LPARAM>(0xC0000000));
}

// A history with two columns of prices, the second of them read by default
// (its name says it is the close), dated on working days.
constexpr std::string_view kPrices =
    "Date,Open,Close\n"
    "2024-01-02,99,100\n"
    "2024-01-03,100.5,101\n"
    "2024-01-04,101,99.5\n"
    "2024-01-05,99,102\n"
    "2024-01-08,102.5,103.25\n";

std::vector<std::wstring> ListItemsOf(HWND list) {
  std::vector<std::wstring> items;
  const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    item.resize(static_cast<std::size_t>(
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()))));
    items.push_back(item);
  }
  return items;
}

std::vector<std::wstring> WideAll(const std::vector<std::string>& texts) {
  std::vector<std::wstring> wide;
  for (const std::string& text : texts) wide.push_back(WideOf(text));
  return wide;
}

// What the window shows of a state with its periods box holding `periods`,
// once its reading is done: the figures (to the eye and to a screen reader),
// the charts' descriptions, the columns with the one read chosen, the
// periods, and "Usar en el formulario" enabled only with estimates. The
// view is made here from the same state, as the window makes it.
void ExpectShows(HWND estimation, const EstimationState& state, const std::string& periods,
                 bool reading = false) {
  const EstimationView view = EstimationViewOf(state, periods);
  HWND figures = EstimationControlOf(estimation, EstimationControl::Figures);
  const std::wstring expected = WideOf(FiguresText(view.figures, "\n"));
  EXPECT_TRUE(WaitFor([&] { return WithLineFeeds(TextOf(figures)) == expected; }))
      << "figures: " << TextOf(figures);
  // An empty box may have no value at all.
  const std::wstring value = WithLineFeeds(AccessibleTextOf(figures, &IAccessible::get_accValue));
  EXPECT_EQ(value == L"(none)" ? L"" : value, expected);
  EXPECT_EQ(AccessibleTextOf(EstimationControlOf(estimation, EstimationControl::HistoryChart),
                             &IAccessible::get_accDescription),
            WideOf(view.historyDescription));
  EXPECT_EQ(AccessibleTextOf(EstimationControlOf(estimation, EstimationControl::ReturnsChart),
                             &IAccessible::get_accDescription),
            WideOf(view.returnsDescription));
  HWND list = EstimationControlOf(estimation, EstimationControl::Column);
  EXPECT_EQ(ListItemsOf(list), WideAll(ColumnNamesOf(state)));
  const std::optional<std::size_t> column = ColumnOf(state);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), column ? static_cast<LRESULT>(*column) : LB_ERR);
  EXPECT_EQ(TextOf(EstimationControlOf(estimation, EstimationControl::Periods)), WideOf(periods));
  EXPECT_EQ(IsWindowEnabled(EstimationControlOf(estimation, EstimationControl::UseInForm)) != FALSE,
            view.formInputs.has_value());
  // The progress and Cancelar only while a long reading runs.
  EXPECT_EQ(IsWindowVisible(EstimationControlOf(estimation, EstimationControl::Progress)) != FALSE, reading);
  EXPECT_EQ(IsWindowVisible(EstimationControlOf(estimation, EstimationControl::Cancel)) != FALSE, reading);
}

// Opens from Edición > Pegar precios, built from its table; with nothing on
// the clipboard it says so in place of both charts, and has nothing to put
// into the form.
TEST(Win32Window, EstimationWindowIsBuiltFromItsTable) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  HWND estimation = PastePrices(program, "");
  ASSERT_NE(estimation, nullptr);
  EXPECT_EQ(GetWindow(estimation, GW_OWNER), program.window());
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  ExpectBuiltFromTable(estimation, kEstimationWindow);
  const EstimationState state = ReadPriceText("", {});
  ExpectShows(estimation, state, "");
  EXPECT_EQ(AccessibleTextOf(EstimationControlOf(estimation, EstimationControl::HistoryChart),
                             &IAccessible::get_accDescription),
            L"El portapapeles no contiene texto.");
  CoUninitialize();
}

struct EstimationStep {
  enum class Act { Paste, ColumnUp, TypePeriods, LogarithmicAxis } act;
  std::string_view text;     // what is pasted or typed
  std::wstring_view figure;  // a line the figures hold after it
};

// Prices pasted, another column chosen with the arrow key in the list (the
// periods a year found again for it), the periods a year typed, the price
// axis changed: each time the window shows what the view gives, tells
// screen readers that both charts' descriptions changed, and writes nothing
// into the form.
const EstimationStep kEstimationSteps[] = {
    {EstimationStep::Act::Paste, kPrices, L"Columna de precios: Close"},
    {EstimationStep::Act::ColumnUp, "", L"Columna de precios: Open"},
    {EstimationStep::Act::TypePeriods, "12", L"Periodos por a\u00F1o: 12"},
    {EstimationStep::Act::LogarithmicAxis, "", L"Valor Actual: 102.5"},
    {EstimationStep::Act::TypePeriods, "52", L"Periodos por a\u00F1o: 52"},
};

// Then "Copiar cifras" puts the figures on the clipboard; "Usar en el
// formulario" writes Valor Actual, Rendimiento and Volatilidad and nothing
// else; a bad number of periods a year is named in place of the charts and
// leaves nothing to write; Esc hides the window, and pasting again shows the
// same one.
TEST(Win32Window, EstimationWindowPlaysItsScenario) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  // The worked example computed, so that every field holds a text of its own.
  const char* inputs[] = {"100", "10", "20", "12"};
  for (int i = 0; i < 4; ++i) program.type("Text" + std::to_string(i + 1), WideOf(inputs[i]));
  for (int i = 1; i <= 6; ++i) program.click("Command" + std::to_string(i));
  std::vector<std::wstring> fields;
  for (int i = 1; i <= 10; ++i) fields.push_back(program.text("Text" + std::to_string(i)));

  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_DESCRIPTIONCHANGE, EVENT_OBJECT_DESCRIPTIONCHANGE, nullptr,
                      HearDescriptionChange, program.processId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  HWND estimation = nullptr;
  EstimationState state;
  std::string periods;
  for (const EstimationStep& step : kEstimationSteps) {
    SCOPED_TRACE(std::wstring(step.figure));
    g_described.clear();
    switch (step.act) {
      case EstimationStep::Act::Paste:
        estimation = PastePrices(program, step.text);
        ASSERT_NE(estimation, nullptr);
        state = ReadPriceText(step.text, {});
        periods = PeriodsTextOf(state);
        break;
      case EstimationStep::Act::ColumnUp: {
        HWND list = EstimationControlOf(estimation, EstimationControl::Column);
        SetForegroundWindow(estimation);
        PostMessageW(list, WM_KEYDOWN, VK_UP, 0);
        PostMessageW(list, WM_KEYUP, VK_UP, static_cast<LPARAM>(0xC0000000));
        state = ReadPriceColumn(std::get<LoadedPrices>(state), *ColumnOf(state) - 1, {});
        periods = PeriodsTextOf(state);
        break;
      }
      case EstimationStep::Act::TypePeriods:
        TypeInto(EstimationControlOf(estimation, EstimationControl::Periods), step.text);
        periods = step.text;
        break;
      case EstimationStep::Act::LogarithmicAxis:
        SendMessageW(
            GetDlgItem(estimation, Win32ChoiceId(static_cast<std::size_t>(EstimationControl::PriceAxis),
                                                 kLogarithmicPriceAxis)),
            BM_CLICK, 0, 0);
        break;
    }
    ExpectShows(estimation, state, periods);
    EXPECT_NE(TextOf(EstimationControlOf(estimation, EstimationControl::Figures)).find(step.figure),
              std::wstring::npos);
    EXPECT_TRUE(HeardDescriptionChange(EstimationControlOf(estimation, EstimationControl::HistoryChart)));
    EXPECT_TRUE(HeardDescriptionChange(EstimationControlOf(estimation, EstimationControl::ReturnsChart)));
    for (int i = 1; i <= 10; ++i) EXPECT_EQ(program.text("Text" + std::to_string(i)), fields[i - 1]) << i;
  }
  UnhookWinEvent(hook);
  const EstimationView view = EstimationViewOf(state, periods);
  ASSERT_TRUE(view.formInputs.has_value());

  PutTextOnClipboard(nullptr, "");
  SendMessageW(estimation, WM_COMMAND, Win32MenuId(MenuCommand::CopyFigures), 0);
  EXPECT_EQ(ClipboardText(), WideOf(FiguresText(view.figures, "\r\n")));

  SendMessageW(EstimationControlOf(estimation, EstimationControl::UseInForm), BM_CLICK, 0, 0);
  fields[0] = WideOf(view.formInputs->price);
  fields[1] = WideOf(view.formInputs->rate);
  fields[2] = WideOf(view.formInputs->volatility);
  EXPECT_EQ(fields[0], L"102.5");  // the last price of the column chosen
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(program.text("Text" + std::to_string(i)), fields[i - 1]) << i;

  // The fields as the estimate wrote them, against which a bad N must
  // change nothing.
  for (const char* bad : {"0", "cincuenta"}) {
    SCOPED_TRACE(bad);
    program.type("Text1", L"100");
    fields[0] = L"100";
    TypeInto(EstimationControlOf(estimation, EstimationControl::Periods), bad);
    ExpectShows(estimation, state, bad);
    for (const EstimationControl chart : {EstimationControl::HistoryChart, EstimationControl::ReturnsChart}) {
      EXPECT_NE(AccessibleTextOf(EstimationControlOf(estimation, chart), &IAccessible::get_accDescription)
                    .find(L"Periodos por a\u00F1o"),
                std::wstring::npos);
    }
    EXPECT_EQ(TextOf(EstimationControlOf(estimation, EstimationControl::Figures)), L"");
    SendMessageW(EstimationControlOf(estimation, EstimationControl::UseInForm), BM_CLICK, 0, 0);
    SendMessageW(estimation, WM_COMMAND,
                 MAKEWPARAM(Win32EstimationControlId(EstimationControl::UseInForm), BN_CLICKED),
                 reinterpret_cast<LPARAM>(EstimationControlOf(estimation, EstimationControl::UseInForm)));
    for (int i = 1; i <= 10; ++i) EXPECT_EQ(program.text("Text" + std::to_string(i)), fields[i - 1]) << i;
  }
  CoUninitialize();

  // A real Esc where the focus is: in the window, since it showed.
  ASSERT_TRUE(WaitFor([&] { return IsChild(estimation, program.focus()) != FALSE; }));
  Press(program, VK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(estimation) == FALSE; }));
  EXPECT_EQ(PastePrices(program, kPrices), estimation);
  PostMessageW(program.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exitStatus(), 0);
}

// Tab goes round the controls a user chooses, types into, presses or reads
// and the charts (which the menu's chart commands then take), in the
// table's order, stopping at the price axis's checked button; the note and
// the hidden progress bar and Cancelar take no stop.
TEST(Win32Window, EstimationWindowTabsRoundItsControls) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  HWND estimation = PastePrices(program, kPrices);
  ASSERT_NE(estimation, nullptr);
  HWND use = EstimationControlOf(estimation, EstimationControl::UseInForm);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(use) != FALSE; }));
  const std::vector<HWND> stops{
      EstimationControlOf(estimation, EstimationControl::Column),
      EstimationControlOf(estimation, EstimationControl::Periods),
      GetDlgItem(estimation, Win32ChoiceId(static_cast<std::size_t>(EstimationControl::PriceAxis), 0)),
      use,
      EstimationControlOf(estimation, EstimationControl::Figures),
      EstimationControlOf(estimation, EstimationControl::HistoryChart),
      EstimationControlOf(estimation, EstimationControl::ReturnsChart),
  };
  for (std::size_t i = 0; i < stops.size(); ++i) {
    const HWND next = stops[(i + 1) % stops.size()];
    EXPECT_EQ(GetNextDlgTabItem(estimation, stops[i], FALSE), next) << "after stop " << i;
    EXPECT_EQ(GetNextDlgTabItem(estimation, next, TRUE), stops[i])
        << "before stop " << (i + 1) % stops.size();
  }
  ASSERT_TRUE(WaitFor([&] { return program.focus() == stops[0]; }));
  for (std::size_t i = 1; i <= stops.size(); ++i) {
    Press(program, VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return program.focus() == stops[i % stops.size()]; })) << "Tab " << i;
  }
}

// A file of prices in the test's own temporary folder, removed at the end.
class PriceFile {
 public:
  PriceFile(const wchar_t* name, std::string_view bytes) {
    std::array<wchar_t, MAX_PATH + 1> folder{};
    GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    path_ = std::wstring(folder.data()) + name;
    HANDLE file =
        CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  ~PriceFile() { DeleteFileW(path_.c_str()); }
  PriceFile(const PriceFile&) = delete;
  PriceFile& operator=(const PriceFile&) = delete;

  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// A reading that takes more than a moment shows its progress and Cancelar;
// Cancelar stops it, hides them both and leaves the window showing the
// prices it showed before. Millions of prices take more than a moment;
// where a machine reads them all before the progress shows, twice as many
// are tried.
TEST(Win32Window, EstimationWindowShowsALongReadingAndCancelsIt) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  const EstimationState state = ReadPriceText(kPrices, {});
  HWND estimation = nullptr;
  HWND progress = nullptr;
  HWND cancel = nullptr;
  const auto shown = [&] { return IsWindowVisible(progress) != FALSE && IsWindowVisible(cancel) != FALSE; };
  std::string many = "Cierre\n";
  bool caught = false;
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  for (int rows = 3000000; rows <= 12000000 && !caught; rows *= 2) {
    SCOPED_TRACE(rows);
    estimation = PastePrices(program, kPrices);
    ASSERT_NE(estimation, nullptr);
    progress = EstimationControlOf(estimation, EstimationControl::Progress);
    cancel = EstimationControlOf(estimation, EstimationControl::Cancel);
    ExpectShows(estimation, state, PeriodsTextOf(state));
    HWND figures = EstimationControlOf(estimation, EstimationControl::Figures);
    const std::wstring before = TextOf(figures);
    for (int i = rows / 2; i < rows; ++i) many += std::to_string(100 + i % 97) + ".25\n";
    PutTextOnClipboard(nullptr, many);
    PostMessageW(program.window(), WM_COMMAND, Win32MenuId(MenuCommand::PastePrices), 0);
    ASSERT_TRUE(WaitFor([&] { return shown() || TextOf(figures) != before; }));
    if (!shown()) continue;  // read before its progress showed
    caught = true;
    const auto position = SendMessageW(progress, PBM_GETPOS, 0, 0);
    SendMessageW(cancel, BM_CLICK, 0, 0);
    EXPECT_TRUE(position >= 0 && position <= kProgressSteps) << position;
    ExpectShows(estimation, state, PeriodsTextOf(state));
  }
  CoUninitialize();
  EXPECT_TRUE(caught) << "no progress shown";
}

// What Explorer gives a window that accepts files when they are dropped on
// it: a DROPFILES block with the wide paths after it, each ended by a null
// and the list by another. The receiver frees it (DragFinish).
HDROP DropOf(const std::vector<std::wstring>& paths) {
  std::size_t characters = 1;
  for (const std::wstring& path : paths) characters += path.size() + 1;
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* at = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
  for (const std::wstring& path : paths) at = std::copy(path.begin(), path.end(), at) + 1;
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

struct DropCase {
  const char* name;
  std::vector<std::wstring> paths;
  std::optional<std::wstring> opened;
};

// A drop carries paths as the system writes them, in UTF-16, any letters
// and any length among them; the first one opens.
const DropCase kDropCases[] = {
    {"One", {L"C:\\precios\\cierre.csv"}, L"C:\\precios\\cierre.csv"},
    {"Several", {L"C:\\a.csv", L"C:\\b.txt"}, L"C:\\a.csv"},
    {"Accents",
     {L"C:\\A\u00F1o \u20AC\\\u00DAltimos precios \U0001F4C8.csv"},
     L"C:\\A\u00F1o \u20AC\\\u00DAltimos precios \U0001F4C8.csv"},
    {"Long",
     {L"\\\\?\\C:\\" + std::wstring(400, L'x') + L".csv"},
     L"\\\\?\\C:\\" + std::wstring(400, L'x') + L".csv"},
    {"None", {}, std::nullopt},
};

class Win32Drop : public testing::TestWithParam<DropCase> {};

TEST_P(Win32Drop, GivesTheFirstFile) {
  const DropCase& drop = GetParam();
  const std::optional<std::filesystem::path> file = DroppedFile(DropOf(drop.paths));
  ASSERT_EQ(file.has_value(), drop.opened.has_value());
  if (file) {
    EXPECT_EQ(file->wstring(), *drop.opened);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Win32Drop, testing::ValuesIn(kDropCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A file dropped on the estimation window opens there: its name as the
// figures' source, its prices read as the model reads the file. Built in
// this process: Wine passes a posted WM_DROPFILES to another process with
// its handle unchanged, which means nothing there.
TEST(Win32EstimationWindowHere, OpensAFileDroppedOnIt) {
  const PriceFile file(L"cotalia-dropped-prices.csv", kPrices);
  const EstimationState state = ReadPriceFile(file.path(), {});
  ASSERT_TRUE(std::holds_alternative<LoadedPrices>(state));
  bool written = false;
  Win32EstimationWindow window(GetModuleHandleW(nullptr), nullptr,
                               [&written](const FormInputs&) { written = true; });
  ASSERT_NE(window.window(), nullptr);
  window.Show();
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  PostMessageW(window.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({file.path()})), 0);
  HWND figures = EstimationControlOf(window.window(), EstimationControl::Figures);
  const std::wstring expected =
      WideOf(FiguresText(EstimationViewOf(state, PeriodsTextOf(state)).figures, "\r\n"));
  EXPECT_TRUE(WaitFor([&] {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!window.TakeDialogMessage(message)) DispatchMessageW(&message);
    }
    return TextOf(figures) == expected;
  })) << TextOf(figures);
  EXPECT_NE(expected.find(L"Origen: cotalia-dropped-prices.csv"), std::wstring::npos);
  EXPECT_FALSE(written);
  CoUninitialize();
}

// The filters a file dialog lists, in its list of file types.
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

// A file dialog's filter chosen in its list, with the notifications a user's
// choice sends.
void ChooseFilter(HWND dialog, std::size_t index) {
  HWND types = GetDlgItem(dialog, cmb1);
  SendMessageW(types, CB_SETCURSEL, index, 0);
  for (const WORD notification : {CBN_SELCHANGE, CBN_SELENDOK}) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, notification), reinterpret_cast<LPARAM>(types));
  }
}

// A file's name typed into a file dialog's box for it (an edit box of its
// own, or a combo box's, as Wine's is), and a button of the dialog pressed:
// IDOK, its default one, or IDCANCEL.
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

// Archivo > Abrir precios… opens the system's dialog, titled and filtered
// as the table says, and the file chosen in it opens in the estimation
// window.
TEST(Win32Window, AbrirPreciosOpensTheFileChosen) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  const PriceFile file(L"cotalia-opened-prices.csv", kPrices);
  PostMessageW(program.window(), WM_COMMAND, Win32MenuId(MenuCommand::OpenPrices), 0);
  HWND dialog = program.messageBox();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(dialog), WideOf(kOpenPricesTitle));
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), program.window());
  std::vector<std::wstring> names;
  for (const FileFilter& filter : kPriceFileFilters) names.push_back(WideOf(filter.name));
  EXPECT_EQ(FiltersOf(dialog), names);
  TypeFileName(dialog, file.path(), IDOK);
  HWND estimation = program.shown(kWin32EstimationClass);
  ASSERT_NE(estimation, nullptr);
  const EstimationState state = ReadPriceFile(file.path(), {});
  ASSERT_TRUE(std::holds_alternative<LoadedPrices>(state));
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  ExpectShows(estimation, state, PeriodsTextOf(state));
  CoUninitialize();
  EXPECT_NE(TextOf(EstimationControlOf(estimation, EstimationControl::Figures))
                .find(L"Origen: cotalia-opened-prices.csv"),
            std::wstring::npos);
}

// A window's client area as it stands on the screen, 0xRRGGBB row by row,
// once two readings a moment apart agree: the program paints and hands its
// pixels to the X server in its own time. The window is raised and moved
// into the screen's corner first, so that nothing covers it. Read from the
// screen rather than printed: Wine cannot send WM_PRINT, which PrintWindow
// sends, to another process ("pack_message msg 317 (WM_PRINT) not supported
// yet"), and a window's own DC read from another process gives nothing.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

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

// One step of a user with the distribution window: a box typed into, a
// chart's kind chosen, a key on the focused chart or the pointer over it.
struct ReadingStep {
  enum class Act { Type, Choose, Key, Pointer } act;
  DistributionControl box;             // typed into, where the step types
  std::string_view text;               // what is typed
  std::size_t chart = 0;               // the chart's kind chosen
  WPARAM key = 0;                      // the key pressed
  double x = 0;                        // the pointer's x, a share of the chart's width
  std::vector<std::string_view> rows;  // what the figures hold after it
};

// The worked example with a target of 130 and a range of 90 to 130, read on
// the fan and then on the density, and the range given the wrong way round
// and in letters.
const ReadingStep kReadingSteps[] = {
    {ReadingStep::Act::Type, DistributionControl::Target, "130", 0, 0, 0, {"Toca 130 antes del horizonte"}},
    {ReadingStep::Act::Type, DistributionControl::Lower, "90", 0, 0, 0, {}},
    {ReadingStep::Act::Type,
     DistributionControl::Upper,
     "130",
     0,
     0,
     0,
     {"Entre 90 y 130", "Toca 130 antes"}},
    {ReadingStep::Act::Key, {}, "", 0, VK_RIGHT, 0, {}},  // from none: the horizon
    {ReadingStep::Act::Key, {}, "", 0, VK_LEFT, 0, {}},
    {ReadingStep::Act::Key, {}, "", 0, VK_HOME, 0, {}},
    {ReadingStep::Act::Key, {}, "", 0, VK_END, 0, {}},
    {ReadingStep::Act::Pointer, {}, "", 0, 0, 0.3, {}},
    {ReadingStep::Act::Choose, {}, "", kDensityChart, 0, 0, {"Entre 90 y 130"}},
    {ReadingStep::Act::Key, {}, "", 0, VK_RIGHT, 0, {}},  // from none: the median
    {ReadingStep::Act::Key, {}, "", 0, VK_RIGHT, 0, {}},
    {ReadingStep::Act::Key, {}, "", 0, VK_END, 0, {}},
    {ReadingStep::Act::Pointer, {}, "", 0, 0, 0.6, {}},
    {ReadingStep::Act::Type,
     DistributionControl::Lower,
     "140",
     0,
     0,
     0,
     {"Precio m\u00E1ximo: escriba un n\u00FAmero no menor que el precio m\u00EDnimo"}},
    {ReadingStep::Act::Type,
     DistributionControl::Lower,
     "abc",
     0,
     0,
     0,
     {"Precio m\u00EDnimo: escriba un n\u00FAmero"}},
    {ReadingStep::Act::Type, DistributionControl::Lower, "90", 0, 0, 0, {"Entre 90 y 130"}},
    {ReadingStep::Act::Choose, {}, "", 0, 0, 0, {"Entre 90 y 130"}},
};

// The chart's area and its labels' measure as the program has them for its
// chart: the same window font at its DPI, measured by the same GDI+.
std::optional<ChartReading> ReadingIn(
    HWND chart, const std::function<std::optional<ChartReading>(const ChartArea&, const TextWidth&)>& read) {
  RECT client{};
  GetClientRect(chart, &client);
  const UINT dpi = GetDpiForWindow(chart);
  HFONT font = CreateWindowFont(dpi);
  HDC context = CreateCompatibleDC(nullptr);
  std::optional<ChartReading> reading;
  Win32ChartDrawing(
      [&](const ChartArea& area, const TextWidth& textWidth) {
        reading = read(area, textWidth);
        return ChartDrawing{};
      },
      context, font, {client.right, client.bottom}, dpi);
  DeleteDC(context);
  DeleteObject(font);
  return reading;
}

// Each step gives the figures and the percentiles of the view of the same
// inputs, the chart's description for its kind and reading, and the line
// under the chart its reading: the keys on the focused chart and the
// pointer over it at its x, in the chart's own area; another kind of chart
// starts without one. A range the wrong way round or in letters gives a
// row that names its box, and the chart is still drawn. The new boxes are
// named by their labels, the line by its own name, and no field of the
// form changes.
TEST(Win32Window, DistributionWindowReadsItsChart) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  // The real pointer away from the window, which it would otherwise read.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  HWND distribution = program.openDistribution();
  ASSERT_NE(distribution, nullptr);
  std::vector<std::wstring> fields;
  for (int i = 5; i <= 10; ++i) fields.push_back(program.text("Text" + std::to_string(i)));
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  for (const DistributionControl box :
       {DistributionControl::Lower, DistributionControl::Upper, DistributionControl::Percentiles}) {
    EXPECT_EQ(AnnouncedNameOf(DistributionControlOf(distribution, box)),
              WideOf(ControlOf(box).accessibleName));
  }
  HWND chart = DistributionControlOf(distribution, DistributionControl::Chart);
  HWND readout = DistributionControlOf(distribution, DistributionControl::Readout);
  EXPECT_EQ(AnnouncedNameOf(readout), L"Lectura del gr\u00E1fico");

  const auto& in = scenarios::kDistributionInputs;
  std::map<DistributionControl, std::string> typed{{DistributionControl::Level, std::string(kDefaultLevel)}};
  ChartOptions options;
  std::string lastDescription;
  for (const ReadingStep& step : kReadingSteps) {
    SCOPED_TRACE(std::string(step.text) + " key " + std::to_string(step.key) + " x " +
                 std::to_string(step.x) + " chart " + std::to_string(step.chart));
    const auto viewNow = [&] {
      return ViewOf({{in[0], in[1], in[2], in[3]},
                     typed[DistributionControl::Level],
                     typed[DistributionControl::Target],
                     typed[DistributionControl::Lower],
                     typed[DistributionControl::Upper]});
    };
    DistributionView view = viewNow();
    std::optional<ChartReading> reading;
    switch (step.act) {
      case ReadingStep::Act::Type:
        typed[step.box] = step.text;
        view = viewNow();
        TypeInto(DistributionControlOf(distribution, step.box), step.text);
        reading = ReadingIn(
            chart, [&](const ChartArea& a, const TextWidth& w) { return ReadoutOf(view, options, a, w); });
        break;
      case ReadingStep::Act::Choose:
        PostMessageW(
            GetDlgItem(distribution, Win32ChoiceButtonId(DistributionControl::ChartKind, step.chart)),
            BM_CLICK, 0, 0);
        options.density = step.chart == kDensityChart;
        options.readout.reset();
        break;
      case ReadingStep::Act::Key: {
        ReadoutKey key = ReadoutKey::Left;
        if (step.key == VK_RIGHT) key = ReadoutKey::Right;
        if (step.key == VK_HOME) key = ReadoutKey::Home;
        if (step.key == VK_END) key = ReadoutKey::End;
        reading = ReadingIn(chart, [&](const ChartArea& a, const TextWidth& w) {
          return ReadoutAfterKey(view, options, a, w, key);
        });
        // The chart takes the focus as a click gives it; a choice's button
        // clicked has taken it.
        PostMessageW(chart, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(chart, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        ASSERT_TRUE(WaitFor([&] { return program.focus() == chart; }));
        const LPARAM scan =
            static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(step.key), MAPVK_VK_TO_VSC)) << 16 | 1;
        PostMessageW(program.focus(), WM_KEYDOWN, step.key, scan);
        PostMessageW(program.focus(), WM_KEYUP, step.key, scan | static_cast<LPARAM>(0xC0000000));
        break;
      }
      case ReadingStep::Act::Pointer: {
        RECT client{};
        GetClientRect(chart, &client);
        const int x = static_cast<int>(step.x * client.right);
        reading = ReadingIn(
            chart, [&](const ChartArea& a, const TextWidth& w) { return ReadoutAt(view, options, a, w, x); });
        PostMessageW(chart, WM_MOUSEMOVE, 0, MAKELPARAM(x, client.bottom / 2));
        break;
      }
    }
    const std::wstring line = WideOf(ReadoutText(view, reading));
    EXPECT_TRUE(WaitFor([&] { return TextOf(readout) == line; })) << TextOf(readout);
    options.readout = reading ? std::optional(reading->at) : std::nullopt;
    if (step.act == ReadingStep::Act::Key || step.act == ReadingStep::Act::Pointer) {
      ASSERT_TRUE(reading.has_value());
      EXPECT_EQ(line, WideOf(reading->text));
    }
    EXPECT_EQ(AccessibleTextOf(readout, &IAccessible::get_accValue), line);

    const std::wstring figures = TextOf(DistributionControlOf(distribution, DistributionControl::Figures));
    EXPECT_EQ(figures, WideOf(FiguresText(view, "\r\n")));
    for (const std::string_view row : step.rows) {
      EXPECT_NE(figures.find(WideOf(row)), std::wstring::npos) << row;
    }
    EXPECT_EQ(TextOf(DistributionControlOf(distribution, DistributionControl::Percentiles)),
              WideOf(PercentilesText(view, "\r\n")));
    const std::string description = DescriptionOf(view, options, reading);
    EXPECT_EQ(AccessibleTextOf(chart, &IAccessible::get_accDescription), WideOf(description));
    if (step.act == ReadingStep::Act::Choose) {
      EXPECT_NE(description, lastDescription);
    }
    lastDescription = description;

    // Whatever the range says, the chart is drawn: far more of it than a
    // message's line is ink.
    ASSERT_TRUE(std::holds_alternative<DistributionChart>(view.chart));
    const Picture image = ScreenPixelsOf(chart);
    const COLORREF ground = GetSysColor(COLOR_WINDOW);
    const std::uint32_t groundPixel = static_cast<std::uint32_t>(GetRValue(ground)) << 16 |
                                      static_cast<std::uint32_t>(GetGValue(ground)) << 8 | GetBValue(ground);
    const auto inked = std::count_if(image.pixels.begin(), image.pixels.end(),
                                     [groundPixel](std::uint32_t pixel) { return pixel != groundPixel; });
    EXPECT_GT(static_cast<double>(inked), 0.05 * static_cast<double>(image.pixels.size()));
  }
  CoUninitialize();
  for (int i = 5; i <= 10; ++i) EXPECT_EQ(program.text("Text" + std::to_string(i)), fields[i - 5]);
  PostMessageW(program.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exitStatus(), 0);
}

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

// What the copy commands and "Guardar gráfico como…" give, through the
// real program.

// The clipboard's block in that format, whole (a global block may be longer
// than what was put into it); none where the clipboard has none.
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

// An offset that the header of Windows' "HTML Format" gives by its key.
std::optional<std::size_t> HtmlOffset(const std::string& block, std::string_view key) {
  const std::size_t at = block.find(std::string(key) + ":");
  if (at == std::string::npos) return std::nullopt;
  std::size_t value = 0;
  std::size_t digits = 0;
  for (std::size_t i = at + key.size() + 1; i < block.size() && block[i] >= '0' && block[i] <= '9'; ++i) {
    value = value * 10 + static_cast<std::size_t>(block[i] - '0');
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  return value;
}

// The cell of a row's text in a table, from the row's label to its end.
std::string CellAfterLabel(const std::string& table, std::string_view label) {
  const std::size_t at = table.find(">" + std::string(label) + "</td>");
  if (at == std::string::npos) return "(no row " + std::string(label) + ")";
  return table.substr(at, table.find("</tr>", at) - at);
}

struct NumberCell {
  std::string_view label;
  std::string_view value;  // as the cell carries it for spreadsheets
};

struct CopyCase {
  const char* name;
  enum class Window { Form, Distribution, Estimation } window;
  std::vector<NumberCell> numbers;         // rows whose cells carry a number
  std::vector<std::string_view> texts;     // rows whose cells are text, numbers or not
  std::optional<std::wstring_view> plain;  // the text as the user has always had it, where fixed
};

// After the worked example, the form's results; the distribution window's
// figures at the worked example, a target of 130; the estimation window's
// of a short history.
const CopyCase kCopyCases[] = {
    {"Form",
     CopyCase::Window::Form,
     {{"Valor Actual", "100"},
      {"Rendimiento", "10"},
      {"Volatilidad", "20"},
      {"Tiempo", "12"},
      {"Precio Minimo", "73.1981528228311"},
      {"Precio Maximo", "160.319738372657"},
      {"Precio Esperado", "110.517091807565"},
      {"Variacion esperada", "22.3263055970384"},
      {"Media Dn", "4.68517018598809"},
      {"Volatilidad Dn", "0.2"}},
     {},
     L"Valor Actual\t100\r\n"
     L"Rendimiento\t10\r\n"
     L"Volatilidad\t20\r\n"
     L"Tiempo\t12\r\n"
     L"Precio Minimo\t73.1981528228311\r\n"
     L"Precio Maximo\t160.319738372657\r\n"
     L"Precio Esperado\t110.517091807565\r\n"
     L"Variacion esperada\t22.3263055970384\r\n"
     L"Media Dn\t4.68517018598809\r\n"
     L"Volatilidad Dn\t0.2\r\n"},
    {"Distribution",
     CopyCase::Window::Distribution,
     {{"Precio Minimo", "73.1981528228311"},
      {"Mediana", "108.328706767496"},
      {"Percentil 1 %", "68.0267228577013"},
      {"Percentil 99 %", "172.507335602005"}},
     {},
     std::nullopt},
    {"Estimation",
     CopyCase::Window::Estimation,
     {{"Valor Actual", "103.25"}, {"Precios", "5"}, {"Periodos por a\u00F1o", "252"}},
     {"Columna de precios", "Origen", "Primera fecha", "Volatilidad, intervalo del 95 %"},
     std::nullopt},
};

class Win32Copy : public testing::TestWithParam<CopyCase> {};

// Copiar resultados on the form and Copiar cifras in either window put the
// plain text, as it has always been and as the window's box shows it, and
// beside it Windows' "HTML Format": its header's offsets point at the
// document (from "<html" to its end, the null after it) and at the table
// between the fragment's comments; the document is the table of the same
// rows that HtmlTableOf writes, in which the numbers' cells carry their
// values for spreadsheets in any language and the texts' cells none. No
// field changes.
TEST_P(Win32Copy, PutsTheTextAndATableBesideIt) {
  const CopyCase& copy = GetParam();
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  HWND target = program.window();
  MenuCommand command = MenuCommand::CopyFigures;
  std::vector<Figure> rows;
  std::wstring shown;
  switch (copy.window) {
    case CopyCase::Window::Form: {
      const char* inputs[] = {"100", "10", "20", "12"};
      for (int i = 0; i < 4; ++i) program.type("Text" + std::to_string(i + 1), WideOf(inputs[i]));
      for (int i = 1; i <= 6; ++i) program.click("Command" + std::to_string(i));
      command = MenuCommand::CopyResults;
      for (const FieldBinding& binding : kFieldBindings) {
        rows.push_back(
            {std::string(AccessibleNameOf(binding)), Utf8Of(program.text(kControls[binding.textBox].name))});
      }
      break;
    }
    case CopyCase::Window::Distribution: {
      target = program.openDistribution();
      ASSERT_NE(target, nullptr);
      TypeInto(DistributionControlOf(target, DistributionControl::Target), "130");
      const auto& in = scenarios::kDistributionInputs;
      const DistributionView view = ViewOf({{in[0], in[1], in[2], in[3]}, std::string(kDefaultLevel), "130"});
      // The figures as their box shows them, then the percentiles, each
      // named for the table it is pasted into.
      rows = view.copied;
      const std::wstring figures = TextOf(DistributionControlOf(target, DistributionControl::Figures));
      EXPECT_EQ(figures, WideOf(FiguresText(view, "\r\n")));
      shown = WideOf(FiguresText(rows, "\r\n"));
      EXPECT_EQ(shown.rfind(figures + L"\r\nPercentil 1 %: ", 0), 0u) << shown;
      break;
    }
    case CopyCase::Window::Estimation: {
      target = PastePrices(program, kPrices);
      ASSERT_NE(target, nullptr);
      const EstimationState state = ReadPriceText(kPrices, {});
      rows = EstimationViewOf(state, PeriodsTextOf(state)).figures;
      HWND figures = EstimationControlOf(target, EstimationControl::Figures);
      const std::wstring expected = WideOf(FiguresText(rows, "\r\n"));
      EXPECT_TRUE(WaitFor([&] { return TextOf(figures) == expected; })) << TextOf(figures);
      shown = TextOf(figures);
      break;
    }
  }
  ASSERT_FALSE(rows.empty());
  std::vector<std::wstring> fields;
  for (int i = 1; i <= 10; ++i) fields.push_back(program.text("Text" + std::to_string(i)));
  EmptyTheClipboard();
  SendMessageW(target, WM_COMMAND, Win32MenuId(command), 0);

  const std::wstring text = ClipboardText();
  if (copy.plain) {
    EXPECT_EQ(text, *copy.plain);
  } else {
    EXPECT_EQ(text, shown);
  }
  const std::optional<std::string> block = ClipboardBlockOf(RegisterClipboardFormatW(L"HTML Format"));
  ASSERT_TRUE(block.has_value()) << "no HTML Format beside the text";
  EXPECT_EQ(block->rfind("Version:0.9\r\n", 0), 0u) << *block;
  const std::optional<std::size_t> startHtml = HtmlOffset(*block, "StartHTML");
  const std::optional<std::size_t> endHtml = HtmlOffset(*block, "EndHTML");
  const std::optional<std::size_t> startFragment = HtmlOffset(*block, "StartFragment");
  const std::optional<std::size_t> endFragment = HtmlOffset(*block, "EndFragment");
  ASSERT_TRUE(startHtml && endHtml && startFragment && endFragment) << *block;
  ASSERT_TRUE(*startHtml <= *startFragment && *startFragment <= *endFragment && *endFragment <= *endHtml &&
              *endHtml < block->size())
      << *block;
  EXPECT_EQ((*block)[*endHtml], '\0') << "the document is not followed by its null";
  const std::string document = block->substr(*startHtml, *endHtml - *startHtml);
  EXPECT_EQ(document.rfind("<html", 0), 0u) << document;
  EXPECT_EQ(document, HtmlTableOf(rows));
  const std::string fragment = block->substr(*startFragment, *endFragment - *startFragment);
  EXPECT_EQ(fragment.rfind("<table>", 0), 0u) << fragment;
  EXPECT_TRUE(block->substr(0, *startFragment).ends_with("<!--StartFragment-->"));
  EXPECT_EQ(block->compare(*endFragment, 18, "<!--EndFragment-->"), 0);
  for (const NumberCell& number : copy.numbers) {
    const std::string cell = CellAfterLabel(fragment, number.label);
    EXPECT_NE(cell.find("sdval=\"" + std::string(number.value) + "\""), std::string::npos) << cell;
    EXPECT_NE(cell.find("x:num=\"" + std::string(number.value) + "\""), std::string::npos) << cell;
  }
  for (const std::string_view label : copy.texts) {
    const std::string cell = CellAfterLabel(fragment, label);
    EXPECT_EQ(cell.find("sdval="), std::string::npos) << cell;
    EXPECT_NE(cell.find("x:str"), std::string::npos) << cell;
  }
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(program.text("Text" + std::to_string(i)), fields[i - 1]) << i;
}

INSTANTIATE_TEST_SUITE_P(Copies, Win32Copy, testing::ValuesIn(kCopyCases),
                         [](const auto& info) { return std::string(info.param.name); });

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
      // What the shared writer says of the same file here, where it fails
      // for the same reason.
      const std::optional<std::string> problem = SaveBytes(saved, "x");
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

TEST(Win32Window, TextBoxesHaveNoLengthLimit) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  const std::wstring price = std::wstring(100000 - 3, L'0') + L"100";
  program.type("Text1", price);
  EXPECT_EQ(program.text("Text1"), price);
  program.type("Text2", L"10");
  program.type("Text4", L"12");
  program.click("Command5");
  EXPECT_EQ(program.text("Text7"), L"110.517091807565");
}

TEST(Win32Window, ClosingEndsTheProgramWithSuccess) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  PostMessageW(program.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exitStatus(), 0);
}

class Win32ErrorReport : public testing::TestWithParam<scenarios::Failure> {};

TEST_P(Win32ErrorReport, ShowsTheCodeThenEndsTheProgram) {
  const scenarios::Failure& failure = GetParam();
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  for (const auto& [field, text] : failure.typed) program.type(scenarios::BoxOf(field), WideOf(text));
  const std::string_view result = scenarios::BoxOf(failure.result);
  const std::wstring before = program.text(result);
  // Posted: a sent click would wait for the modal report to close.
  PostMessageW(program.control(scenarios::ButtonOf(failure.action)), BM_CLICK, 0, 0);
  HWND report = program.messageBox();
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(TextOf(report), L"Cotalia");
  const std::wstring message = TextOf(GetDlgItem(report, 0xFFFF));
  EXPECT_NE(message.find(L"'" + std::to_wstring(failure.code) + L"'"), std::wstring::npos);
  EXPECT_EQ(program.text(result), before);
  SendMessageW(report, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(program.exitStatus(), kFailedExitStatus);
}

INSTANTIATE_TEST_SUITE_P(Cases, Win32ErrorReport, testing::ValuesIn(scenarios::kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

std::wstring VersionString(const std::vector<char>& record, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\0C0A04B0\\") + name;
  if (!VerQueryValueW(record.data(), path.c_str(), &value, &length) || length == 0) return L"(missing)";
  return static_cast<const wchar_t*>(value);
}

TEST(Win32Executable, CarriesItsVersionRecord) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(g_executable.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> record(size);
  ASSERT_TRUE(GetFileVersionInfoW(g_executable.c_str(), 0, size, record.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);

  DWORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  EXPECT_EQ(*translation, 0x04B00C0Au);  // language 0x0C0A, code page 1200 (Unicode)

  EXPECT_EQ(VersionString(record, L"FileVersion"), L"1.00");
  EXPECT_EQ(VersionString(record, L"ProductVersion"), L"1.00");
  EXPECT_EQ(VersionString(record, L"InternalName"), L"Cotalia");
  EXPECT_EQ(VersionString(record, L"OriginalFilename"), L"Cotalia.exe");
  EXPECT_EQ(VersionString(record, L"CompanyName"), L"Cotalia");
  EXPECT_EQ(VersionString(record, L"ProductName"), L"Cotalia");
  EXPECT_EQ(VersionString(record, L"FileDescription"), L"Simulador de acciones Cotalia");
  EXPECT_EQ(VersionString(record, L"LegalCopyright"), L"Copyright \u00A9 2026 Cotalia developers");
  EXPECT_EQ(VersionString(record, L"Comments"), L"Licencia GPL-3.0-or-later");
}

}  // namespace
}  // namespace cotalia

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PATH\\TO\\Cotalia.exe\n", argv[0]);
    return 2;
  }
  cotalia::g_executable = cotalia::WideOf(argv[1]);
  return RUN_ALL_TESTS();
}
