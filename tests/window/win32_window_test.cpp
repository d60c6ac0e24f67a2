// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real Cotalia.exe, started as a child process, through window
// messages, as a screen reader or a test robot would: its controls, focus and
// Tab chain, the worked example, "Borrar", the error report and the exit
// status, and the executable's version record.
// Usage: cotalia_win32_tests PATH\TO\Cotalia.exe [GoogleTest flags]
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "win32_main_window.h"
#include "window_description.h"
#include "window_scenarios.h"
#include "wiring.h"

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

std::size_t ControlNamed(std::string_view name) {
  const auto control = std::find_if(kControls.begin(), kControls.end(),
                                    [name](const ControlDescription& c) { return c.name == name; });
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

  // The program's message box, once it shows one.
  HWND messageBox() const {
    HWND found = nullptr;
    WaitFor([&] {
      found = nullptr;
      EnumThreadWindows(
          process_.dwThreadId,
          [](HWND window, LPARAM result) -> BOOL {
            if (ClassNameOf(window) == L"#32770" && IsWindowVisible(window)) {
              *reinterpret_cast<HWND*>(result) = window;
              return FALSE;
            }
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&found));
      return found != nullptr;
    });
    return found;
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
  for (const ControlDescription& description : kControls) {
    SCOPED_TRACE(std::string(description.name));
    HWND control = program.control(description.name);
    ASSERT_NE(control, nullptr);
    const wchar_t* expectedClass = description.kind == ControlKind::Label     ? L"Static"
                                   : description.kind == ControlKind::TextBox ? L"Edit"
                                                                              : L"Button";
    EXPECT_EQ(_wcsicmp(ClassNameOf(control).c_str(), expectedClass), 0) << ClassNameOf(control).c_str();
    EXPECT_EQ(TextOf(control), WideOf(description.caption));
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(HWND_DESKTOP, program.window(), reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, description.left / 15);
    EXPECT_EQ(place.top, description.top / 15);
    EXPECT_EQ(place.right - place.left, description.width / 15);
    EXPECT_EQ(place.bottom - place.top, description.height / 15);
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

// What a screen reader announces for a control: its MSAA name.
std::wstring AnnouncedNameOf(HWND control) {
  IAccessible* accessible = nullptr;
  if (AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                 reinterpret_cast<void**>(&accessible)) != S_OK) {
    return L"(no accessible object)";
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  accessible->get_accName(self, &name);
  std::wstring text = name == nullptr ? L"(none)" : name;
  SysFreeString(name);
  accessible->Release();
  return text;
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

// The menu bar that the window sets, built here in this process: the other
// process's menu cannot be read under Wine. Each menu's title and its items
// with their shortcuts after a tab, and the accelerators of those shortcuts.
TEST(Win32Window, HasItsMenuBarAndAccelerators) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  EXPECT_NE(GetMenu(program.window()), nullptr);

  const Win32MenuBar bar = CreateWin32MenuBar();
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
  EXPECT_EQ(seen,
            (std::vector<std::wstring>{
                L"&Archivo > &Salir\tAlt+F4", L"&Edici\u00F3n > &Copiar resultados\tCtrl+Shift+C",
                L"&Ver > &Distribuci\u00F3n del precio\u2026\tCtrl+D", L"A&yuda > &Acerca de Cotalia"}));
  std::array<ACCEL, 8> accelerators{};
  const int count =
      CopyAcceleratorTableW(bar.accelerators, accelerators.data(), static_cast<int>(accelerators.size()));
  ASSERT_EQ(count, 3);
  EXPECT_EQ(accelerators[0].fVirt, FVIRTKEY | FALT);
  EXPECT_EQ(accelerators[0].key, VK_F4);
  EXPECT_EQ(accelerators[0].cmd, Win32MenuId(MenuCommand::Quit));
  EXPECT_EQ(accelerators[1].fVirt, FVIRTKEY | FCONTROL | FSHIFT);
  EXPECT_EQ(accelerators[1].key, 'C');
  EXPECT_EQ(accelerators[1].cmd, Win32MenuId(MenuCommand::CopyResults));
  EXPECT_EQ(accelerators[2].fVirt, FVIRTKEY | FCONTROL);
  EXPECT_EQ(accelerators[2].key, 'D');
  EXPECT_EQ(accelerators[2].cmd, Win32MenuId(MenuCommand::Distribution));
  DestroyAcceleratorTable(bar.accelerators);
  DestroyMenu(bar.menu);
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

// After the worked example, through the menu's command and through its
// accelerator: two columns, label and text, and every field as it was.
TEST(Win32Window, CopiarResultadosPutsTheTenFieldsOnTheClipboard) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  const char* inputs[] = {"100", "10", "20", "12"};
  for (int i = 0; i < 4; ++i) program.type("Text" + std::to_string(i + 1), WideOf(inputs[i]));
  for (int i = 1; i <= 6; ++i) program.click("Command" + std::to_string(i));
  std::vector<std::wstring> before;
  for (int i = 1; i <= 10; ++i) before.push_back(program.text("Text" + std::to_string(i)));
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  SendMessageW(program.window(), WM_COMMAND, Win32MenuId(MenuCommand::CopyResults), 0);
  EXPECT_EQ(ClipboardText(),
            L"Valor Actual\t100\r\n"
            L"Rendimiento\t10\r\n"
            L"Volatilidad\t20\r\n"
            L"Tiempo\t12\r\n"
            L"Precio Minimo\t73.1981528228311\r\n"
            L"Precio Maximo\t160.319738372657\r\n"
            L"Precio Esperado\t110.517091807565\r\n"
            L"Variacion esperada\t22.3263055970384\r\n"
            L"Media Dn\t4.68517018598809\r\n"
            L"Volatilidad Dn\t0.2\r\n");
  std::vector<std::wstring> after;
  for (int i = 1; i <= 10; ++i) after.push_back(program.text("Text" + std::to_string(i)));
  EXPECT_EQ(after, before);
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

// Opens from Ver, follows every edit of the four inputs, shows a message in
// place of the chart for a bad one, never writes a field, names its boxes
// for screen readers, and closes with Esc (IDCANCEL).
TEST(Win32Window, DistributionWindowFollowsTheForm) {
  RunningProgram program;
  ASSERT_NE(program.window(), nullptr);
  const char* inputs[] = {"100", "10", "20", "12"};
  for (int i = 0; i < 4; ++i) program.type("Text" + std::to_string(i + 1), WideOf(inputs[i]));
  PostMessageW(program.window(), WM_COMMAND, Win32MenuId(MenuCommand::Distribution), 0);
  HWND distribution = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    distribution = FindWindowW(kWin32DistributionClass, nullptr);
    return distribution != nullptr && IsWindowVisible(distribution);
  }));
  EXPECT_EQ(TextOf(distribution), L"Distribuci\u00F3n del precio");
  HWND figures = GetDlgItem(distribution, kFiguresBox);
  HWND chart = GetDlgItem(distribution, kChart);
  EXPECT_NE(TextOf(figures).find(L"Precio Minimo: 73.1981528228311\r\n"), std::wstring::npos)
      << TextOf(figures);
  EXPECT_NE(TextOf(figures).find(L"Precio Maximo: 160.319738372657\r\n"), std::wstring::npos);

  program.type("Text1", L"0");
  EXPECT_EQ(TextOf(chart), L"Valor Actual: escriba un n\u00FAmero mayor que cero");
  EXPECT_EQ(TextOf(figures), L"");
  program.type("Text1", L"100");
  SendMessageW(GetDlgItem(distribution, kLevelBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"99"));
  SendMessageW(GetDlgItem(distribution, kTargetBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"130"));
  EXPECT_NE(TextOf(figures).find(L"z: 2.5758293035489\r\n"), std::wstring::npos) << TextOf(figures);
  EXPECT_NE(TextOf(figures).find(L"Por encima de 130: 18.09 %"), std::wstring::npos);
  for (int i = 5; i <= 10; ++i) EXPECT_EQ(program.text("Text" + std::to_string(i)), L" ");

  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  EXPECT_EQ(AnnouncedNameOf(GetDlgItem(distribution, kLevelBox)), L"Nivel de confianza (%)");
  EXPECT_EQ(AnnouncedNameOf(GetDlgItem(distribution, kTargetBox)), L"Precio objetivo");
  EXPECT_EQ(AnnouncedNameOf(figures), L"Cifras al horizonte");
  CoUninitialize();

  PostMessageW(distribution, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(distribution); }));
  PostMessageW(program.window(), WM_COMMAND, Win32MenuId(MenuCommand::Distribution), 0);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(distribution) != FALSE; }));
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

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PATH\\TO\\Cotalia.exe\n", argv[0]);
    return 2;
  }
  cotalia::g_executable = cotalia::WideOf(argv[1]);
  return RUN_ALL_TESTS();
}
