// SPDX-License-Identifier: GPL-3.0-or-later
// What the tests of Cotalia.exe share: the program started as a child
// process, texts and classes of its windows, what screen readers read of
// them, its clipboard, its file dialogs and its pixels on the screen.
#ifndef COTALIA_TESTS_WINDOW_WIN32_WIN32_TEST_SUPPORT_H_
#define COTALIA_TESTS_WINDOW_WIN32_WIN32_TEST_SUPPORT_H_

#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/window/window_scenarios.h"
#include "window/form/window_description.h"
#include "window/win32/win32_main_window.h"

namespace cotalia {

// The path of the Cotalia.exe under test, as the command line gives it.
extern std::wstring g_executable;

// The test's own conversions, apart from the program's: in a namespace of
// each file's own, where they are found before the program's.
namespace {

inline std::wstring WideOf(std::string_view utf8) {
  std::wstring wide(utf8.size(), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                         static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(length));
  return wide;
}

inline std::string Utf8Of(std::wstring_view wide) {
  std::string utf8(wide.size() * 3, '\0');
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                                         static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(length));
  return utf8;
}

}  // namespace

std::size_t ControlNamed(std::string_view name);
std::wstring TextOf(HWND window);
std::wstring ClassNameOf(HWND window);

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

// What a screen reader reads of a control through MSAA: one of its texts
// (its name, its description, its value) and its role.
using AccessibleText = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
std::wstring AccessibleTextOf(HWND control, AccessibleText text);
std::wstring AnnouncedNameOf(HWND control);
LONG AccessibleRoleOf(HWND control);

// The windows whose MSAA description has changed, as a screen reader hears
// of it: out of context, through this thread's messages.
extern std::vector<HWND> g_described;
void CALLBACK HearDescriptionChange(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child,
                                    DWORD thread, DWORD time);
bool HeardDescriptionChange(HWND window);

// A window built from its table: each row a control of its role's class, in
// the table's order (the z-order), in its place, named for screen readers,
// with its caption, default text or title; a choice's radio buttons just
// after its group and inside it, the first one checked; a progress bar and
// the button after it hidden until a task runs, every other control shown.
// Call with COM started.
void ExpectBuiltFromTable(HWND window, const WindowDescription& description);

HWND DistributionControlOf(HWND distribution, DistributionControl control);
// The estimation window's controls by their rows.
HWND EstimationControlOf(HWND estimation, EstimationControl control);
void TypeInto(HWND box, std::string_view text);
std::wstring WithLineFeeds(std::wstring text);

// Edición > Pegar precios on the form, with that text on the clipboard; the
// estimation window once it shows.
HWND PastePrices(const RunningProgram& program, std::string_view text);
// A key pressed and let go where the program's focus is, through its own
// message loop.
void Press(const RunningProgram& program, WPARAM key);

// A history with two columns of prices, the second of them read by default
// (its name says it is the close), dated on working days.
inline constexpr std::string_view kPrices =
    "Date,Open,Close\n"
    "2024-01-02,99,100\n"
    "2024-01-03,100.5,101\n"
    "2024-01-04,101,99.5\n"
    "2024-01-05,99,102\n"
    "2024-01-08,102.5,103.25\n";

std::wstring ClipboardText();
// The clipboard's block in that format, whole (a global block may be longer
// than what was put into it); none where the clipboard has none.
std::optional<std::string> ClipboardBlockOf(UINT format);
void EmptyTheClipboard();

// The filters a file dialog lists, in its list of file types.
std::vector<std::wstring> FiltersOf(HWND dialog);
// A file dialog's filter chosen in its list, with the notifications a user's
// choice sends.
void ChooseFilter(HWND dialog, std::size_t index);
// A file's name typed into a file dialog's box for it (an edit box of its
// own, or a combo box's, as Wine's is), and a button of the dialog pressed:
// IDOK, its default one, or IDCANCEL.
void TypeFileName(HWND dialog, const std::wstring& file, int button);

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

Picture ScreenPixelsOf(HWND window);
int Red(std::uint32_t pixel);
int Green(std::uint32_t pixel);
int Blue(std::uint32_t pixel);

}  // namespace cotalia

#endif  // COTALIA_TESTS_WINDOW_WIN32_WIN32_TEST_SUPPORT_H_
