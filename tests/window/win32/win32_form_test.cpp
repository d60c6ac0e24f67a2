// SPDX-License-Identifier: GPL-3.0-or-later
// The form of the real Cotalia.exe, started as a child process: its
// controls, focus and Tab chain, the worked example, "Borrar", its menu bar,
// the About box, the error report and the exit status, and the executable's
// version record.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

#include "tests/window/win32/win32_test_support.h"
#include "tests/window/window_scenarios.h"
#include "window/form/window_description.h"
#include "window/form/wiring.h"
#include "window/win32/win32_main_window.h"

namespace cotalia {
namespace {

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
     {L"&Archivo > &Abrir precios\u2026\tCtrl+O", L"&Archivo > &Guardar gr\u00E1fico como\u2026\tCtrl+S",
      L"&Archivo > &Cerrar\tCtrl+W", L"&Edici\u00F3n > &Copiar cifras\tCtrl+Shift+C",
      L"&Edici\u00F3n > Copiar &gr\u00E1fico\tCtrl+Shift+G", L"&Edici\u00F3n > &Pegar precios\tCtrl+Shift+V"},
     {{MenuCommand::OpenPrices, FVIRTKEY | FCONTROL, 'O'},
      {MenuCommand::SaveChart, FVIRTKEY | FCONTROL, 'S'},
      {MenuCommand::Close, FVIRTKEY | FCONTROL, 'W'},
      {MenuCommand::CopyFigures, FVIRTKEY | FCONTROL | FSHIFT, 'C'},
      {MenuCommand::CopyChart, FVIRTKEY | FCONTROL | FSHIFT, 'G'},
      {MenuCommand::PastePrices, FVIRTKEY | FCONTROL | FSHIFT, 'V'}}},
    {"Distribution",
     kDistributionMenuItems,
     {L"&Archivo > &Guardar gr\u00E1fico como\u2026\tCtrl+S", L"&Archivo > &Cerrar\tCtrl+W",
      L"&Edici\u00F3n > &Copiar cifras\tCtrl+Shift+C", L"&Edici\u00F3n > Copiar &gr\u00E1fico\tCtrl+Shift+G"},
     {{MenuCommand::SaveChart, FVIRTKEY | FCONTROL, 'S'},
      {MenuCommand::Close, FVIRTKEY | FCONTROL, 'W'},
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
