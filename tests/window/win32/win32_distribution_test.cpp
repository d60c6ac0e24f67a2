// SPDX-License-Identifier: GPL-3.0-or-later
// The distribution window of the real Cotalia.exe: its table, its
// scenario, its keys, and the reading of its chart.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/window/win32/win32_test_support.h"
#include "tests/window/window_scenarios.h"
#include "window/form/window_description.h"
#include "window/win32/win32_main_window.h"

namespace cotalia {
namespace {

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
  // Archivo > Cerrar hides it as Esc does.
  PostMessageW(distribution, WM_COMMAND, Win32MenuId(MenuCommand::Close), 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(distribution); }));
  PostMessageW(program.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exitStatus(), 0);
}

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
     {"L\u00EDmite superior: escriba un n\u00FAmero no menor que el l\u00EDmite inferior"}},
    {ReadingStep::Act::Type,
     DistributionControl::Lower,
     "abc",
     0,
     0,
     0,
     {"L\u00EDmite inferior: escriba un n\u00FAmero"}},
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

}  // namespace
}  // namespace cotalia
