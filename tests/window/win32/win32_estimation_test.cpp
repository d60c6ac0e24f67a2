// SPDX-License-Identifier: GPL-3.0-or-later
// The estimation window of the real Cotalia.exe: its table, prices pasted,
// opened and dropped, its scenario, a long reading cancelled, its keys.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <oleacc.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/window/win32/win32_test_support.h"
#include "window/estimation/background_reading.h"
#include "window/estimation/estimation_view.h"
#include "window/form/window_description.h"
#include "window/win32/win32_main_window.h"

namespace cotalia {
namespace {

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
// periods a year kept), the periods a year typed, the price
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
        const LoadedPrices& loaded = std::get<LoadedPrices>(state);
        state = ReadPriceColumn(loaded, PriceColumnsOf(*loaded.table)[*ColumnOf(state) - 1], {});
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
  InMemoryFields form;
  Win32EstimationWindow window(GetModuleHandleW(nullptr), nullptr, form);
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
  EXPECT_EQ(form.GetFieldText(Field::Text1), " ");
  CoUninitialize();
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

}  // namespace
}  // namespace cotalia
