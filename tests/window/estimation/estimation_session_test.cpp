// SPDX-License-Identifier: GPL-3.0-or-later
// The estimation window's behaviour, on a window in memory and a form in
// memory: what each act of the user and each tick of the timer shows.
#include "window/estimation/estimation_session.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/window/controls/surface_in_memory.h"
#include "window/distribution/distribution_description.h"
#include "window/exports/clipboard_table.h"

namespace cotalia {
namespace {

// Four days' closes, a day without one between them, and their openings.
constexpr std::string_view kDays =
    "Date,Close,Open\n2024-01-15,100,98\n2024-01-16,101,100\n2024-01-17,99.5,99\n2024-01-19,102.5,101\n";

// The points and the texts of a drawing, to tell two drawings apart.
std::vector<std::string> OutlineOf(const ChartDrawing& drawing) {
  std::vector<std::string> outline;
  for (const Shape& shape : drawing.shapes) {
    for (const Point& point : shape.points)
      outline.push_back(std::to_string(point.x) + "," + std::to_string(point.y));
  }
  for (const Label& label : drawing.labels) outline.push_back(label.text);
  return outline;
}

class EstimationSessionTest : public testing::Test {
 protected:
  // Ticks the timer until the reading is done, as the toolkit's timer would.
  void Finish() {
    for (int i = 0; i < 2000 && session.PollInterval(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      session.Tick();
    }
    ASSERT_FALSE(session.PollInterval().has_value());
  }

  // The window shows what the view of `state` gives with the periods and
  // the price axis as the window holds them, and the status line, if any,
  // above the view's note.
  void ExpectShows(const EstimationState& state, const std::string& status = {}) {
    const EstimationView view = EstimationViewOf(state, RowOf(EstimationControl::Periods).text);
    EXPECT_EQ(RowOf(EstimationControl::Note).text, status.empty() ? view.note : status + "\n" + view.note);
    EXPECT_EQ(RowOf(EstimationControl::Column).items, ColumnNamesOf(state));
    EXPECT_EQ(RowOf(EstimationControl::Column).selected, ColumnOf(state));
    EXPECT_EQ(RowOf(EstimationControl::Figures).text, FiguresText(view.figures, "\n"));
    EXPECT_EQ(RowOf(EstimationControl::UseInForm).enabled, view.formInputs.has_value());
    EXPECT_EQ(RowOf(EstimationControl::HistoryChart).description, view.historyDescription);
    EXPECT_EQ(RowOf(EstimationControl::ReturnsChart).description, view.returnsDescription);
    const bool logarithmic = RowOf(EstimationControl::PriceAxis).choice == kLogarithmicPriceAxis;
    EXPECT_EQ(OutlineOf(surface.Painted(RowIndex(EstimationControl::HistoryChart))),
              OutlineOf(DrawHistory(view, surface.area(), surface.textWidth(), logarithmic)));
    EXPECT_EQ(OutlineOf(surface.Painted(RowIndex(EstimationControl::ReturnsChart))),
              OutlineOf(DrawReturns(view, surface.area(), surface.textWidth())));
    EXPECT_FALSE(RowOf(EstimationControl::Progress).shown);
    EXPECT_FALSE(RowOf(EstimationControl::Cancel).shown);
  }

  void SetUp() override { session.Show(); }

  const SurfaceInMemory::Row& RowOf(EstimationControl control) const {
    return surface.row(RowIndex(control));
  }

  SurfaceInMemory surface{kEstimationControls};
  InMemoryFields form;
  EstimationSession session{form, surface};
};

TEST_F(EstimationSessionTest, ShowsNothingReadAtFirst) {
  ExpectShows(EstimationState{});
  EXPECT_EQ(RowOf(EstimationControl::Periods).text, "");
  EXPECT_FALSE(session.PollInterval().has_value());
}

// Each act of the user, and what the window shows after it: the text read
// at its column (of the table's; the list leaves the dates' out), with the
// box and the choice as the user left them; an act in a row that does not
// take it shows nothing new. Another column keeps the periods a year typed;
// a text that cannot be read leaves the prices shown, with why above them.
TEST_F(EstimationSessionTest, PlaysItsScenario) {
  enum class Act { Paste, ChooseColumn, ChooseInOtherRow, TypePeriods, ChangeInOtherRow, ChooseAxis };
  constexpr std::string_view kBad = "Date,Close\n2024-01-02,100\n2024-01-03,abc\n";
  const struct {
    Act act;
    std::string_view text;
    std::size_t index;
    std::size_t column;  // of the table
    const char* periods;
    bool shown;
    const char* status;
  } steps[] = {
      {Act::Paste, kDays, 0, 1, "252", true, ""},
      {Act::ChooseColumn, "", 1, 2, "252", true, ""},
      {Act::ChooseColumn, "", 1, 2, "252", false, ""},
      {Act::ChooseInOtherRow, "", 0, 2, "252", false, ""},
      {Act::TypePeriods, "12", 0, 2, "12", true, ""},
      {Act::ChangeInOtherRow, "", 0, 2, "12", false, ""},
      {Act::ChooseAxis, "", kLogarithmicPriceAxis, 2, "12", true, ""},
      {Act::ChooseColumn, "", 0, 1, "12", true, ""},
      {Act::TypePeriods, "0", 0, 1, "0", true, ""},
      {Act::Paste, kBad, 0, 1, "0", true,
       "«Portapapeles»: Línea 3, columna «Close»: el precio no es un número."},
      {Act::Paste, "", 0, 1, "0", true, "El portapapeles no contiene texto."},
      {Act::TypePeriods, "252", 0, 1, "252", true, ""},
      {Act::ChooseColumn, "", 5, 1, "252", false, ""},
      // A new text finds its periods a year again, from its own dates.
      {Act::TypePeriods, "12", 0, 1, "12", true, ""},
      {Act::Paste, kDays, 0, 1, "252", true, ""},
  };
  for (const auto& step : steps) {
    const int chartsBefore = RowOf(EstimationControl::HistoryChart).chartsGiven;
    switch (step.act) {
      case Act::Paste:
        session.OpenText(std::string(step.text));
        break;
      case Act::ChooseColumn:
        session.ItemChosen(EstimationControl::Column, step.index);
        break;
      case Act::ChooseInOtherRow:
        session.ItemChosen(EstimationControl::Periods, step.index);
        break;
      case Act::TypePeriods:
        surface.Type(RowIndex(EstimationControl::Periods), step.text);
        session.Changed(EstimationControl::Periods);
        break;
      case Act::ChangeInOtherRow:
        session.Changed(EstimationControl::Figures);
        session.Changed(EstimationControl::Column);
        break;
      case Act::ChooseAxis:
        surface.Choose(RowIndex(EstimationControl::PriceAxis), step.index);
        session.Changed(EstimationControl::PriceAxis);
        break;
    }
    Finish();
    EXPECT_EQ(RowOf(EstimationControl::HistoryChart).chartsGiven > chartsBefore, step.shown) << step.text;
    EXPECT_EQ(RowOf(EstimationControl::Periods).text, step.periods) << step.text;
    EstimationState state = ReadPriceText(kDays, {});
    if (step.column != 1) state = ReadPriceColumn(std::get<LoadedPrices>(state), step.column, {});
    ExpectShows(state, step.status);
  }
}

// What cannot be read, with nothing read before, is shown in place of the
// prices, naming where it came from.
TEST_F(EstimationSessionTest, ShowsWhatCannotBeRead) {
  const std::filesystem::path missing = std::filesystem::temp_directory_path() / "cotalia-no-such-file.csv";
  const struct {
    std::string_view text;  // pasted, or
    bool file;              // the missing file opened
    const char* message;
  } cases[] = {
      {"Date,Close\n2024-01-02,100\n2024-01-03,abc\n", false,
       "«Portapapeles»: Línea 3, columna «Close»: el precio no es un número."},
      {"Close\n1\n2\n", false, "«Portapapeles»: Hacen falta al menos tres precios; hay 2."},
      {"", true, "No se puede leer el archivo «cotalia-no-such-file.csv»."},
  };
  for (const auto& c : cases) {
    EstimationSession fresh{form, surface};
    if (c.file) {
      fresh.OpenFile(missing);
    } else {
      fresh.OpenText(std::string(c.text));
    }
    for (int i = 0; i < 2000 && fresh.PollInterval(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      fresh.Tick();
    }
    EXPECT_EQ(RowOf(EstimationControl::HistoryChart).description, c.message);
    EXPECT_EQ(RowOf(EstimationControl::Note).text, "");
    EXPECT_FALSE(RowOf(EstimationControl::UseInForm).enabled);
  }
}

// A file opened or dropped is read by its name.
TEST_F(EstimationSessionTest, OpensAFile) {
  // A UTF-8 name on every system: a narrow literal is the code page's on Windows.
  const std::filesystem::path path = std::filesystem::temp_directory_path() / u8"cotalia-session-ñ.csv";
  std::ofstream(path, std::ios::binary) << kDays;
  session.OpenFile(path);
  Finish();
  std::filesystem::remove(path);
  EXPECT_NE(RowOf(EstimationControl::Figures).text.find("Origen: cotalia-session-ñ.csv"), std::string::npos);
}

// A reading that reports its progress and goes on until it is stopped or
// let go.
struct HeldReading {
  std::atomic<bool> letGo{false};
  std::atomic<bool> stopped{false};

  BackgroundReading::Job Job() {
    return [this](const ReadProgress& progress) {
      while (!letGo.load()) {
        if (!progress(0.375)) {
          stopped = true;
          return EstimationState{std::string("stopped")};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      return ReadPriceText(kDays, {});
    };
  }
};

// The progress and Cancelar show only from the sixth ask on, the reading
// having reported its progress; the timer runs while the reading does.
TEST_F(EstimationSessionTest, ShowsProgressOnlyAfterAMoment) {
  HeldReading held;
  session.Read(held.Job());
  for (int polls = 1; polls <= EstimationSession::kPollsBeforeProgress + 1; ++polls) {
    if (polls > 1) session.Tick();
    const bool shown = polls >= EstimationSession::kPollsBeforeProgress;
    EXPECT_EQ(RowOf(EstimationControl::Progress).shown, shown) << polls;
    EXPECT_EQ(RowOf(EstimationControl::Cancel).shown, shown) << polls;
    EXPECT_EQ(session.PollInterval(), std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(RowOf(EstimationControl::Progress).progress, 0.375);
  held.letGo = true;
  Finish();
  ExpectShows(ReadPriceText(kDays, {}));
  EXPECT_FALSE(held.stopped);
}

// Cancelar, Esc and a new reading stop the reading under way; the first
// two leave the window showing what it showed.
TEST_F(EstimationSessionTest, StopsAReading) {
  enum class Stop { Cancel, Esc, OtherButton, NewReading };
  for (const Stop stop : {Stop::Cancel, Stop::Esc, Stop::OtherButton, Stop::NewReading}) {
    session.OpenText(std::string(kDays));
    Finish();
    HeldReading held;
    session.Read(held.Job());
    // Long enough for its progress and Cancelar to show.
    for (int polls = 1; polls < EstimationSession::kPollsBeforeProgress; ++polls) session.Tick();
    ASSERT_TRUE(RowOf(EstimationControl::Progress).shown);
    switch (stop) {
      case Stop::Cancel:
        session.Pressed(EstimationControl::Cancel);
        break;
      case Stop::Esc:
        session.Closing();
        break;
      case Stop::OtherButton:
        session.Pressed(EstimationControl::Figures);
        break;
      case Stop::NewReading:
        session.OpenText("Close\n1\n2\n4\n");
        break;
    }
    EXPECT_EQ(held.stopped.load(), stop != Stop::OtherButton);
    // A stopped reading's progress and Cancelar go at once.
    if (stop == Stop::Cancel || stop == Stop::Esc) {
      EXPECT_FALSE(RowOf(EstimationControl::Progress).shown);
      EXPECT_FALSE(RowOf(EstimationControl::Cancel).shown);
    }
    EXPECT_EQ(session.Reading(), stop == Stop::OtherButton || stop == Stop::NewReading);
    held.letGo = true;
    Finish();
    ExpectShows(ReadPriceText(stop == Stop::NewReading ? "Close\n1\n2\n4\n" : kDays, {}));
  }
}

// "Usar en el formulario" writes Valor Actual, Rendimiento and Volatilidad
// as the figures give them, and nothing else; without estimates, nothing.
TEST_F(EstimationSessionTest, UsesTheEstimatesInTheForm) {
  session.Pressed(EstimationControl::UseInForm);
  for (const Field field : {Field::Text1, Field::Text2, Field::Text3})
    EXPECT_EQ(form.GetFieldText(field), " ");
  session.OpenText(std::string(kDays));
  Finish();
  session.Pressed(EstimationControl::Cancel);
  EXPECT_EQ(form.GetFieldText(Field::Text1), " ");
  session.Pressed(EstimationControl::UseInForm);
  const FormInputs& inputs = *session.view().formInputs;
  EXPECT_EQ(form.GetFieldText(Field::Text1), inputs.price);
  EXPECT_EQ(form.GetFieldText(Field::Text2), inputs.rate);
  EXPECT_EQ(form.GetFieldText(Field::Text3), inputs.volatility);
  EXPECT_EQ(inputs.price, "102.5");
  EXPECT_EQ(RowOf(EstimationControl::Note).text,
            "Escrito en el formulario: Valor Actual 102.5, Rendimiento " + inputs.rate + ", Volatilidad " +
                inputs.volatility + ".\n" + session.view().note);
  session.Changed(EstimationControl::Periods);
  EXPECT_EQ(RowOf(EstimationControl::Note).text, session.view().note);
  for (const Field field :
       {Field::Text4, Field::Text5, Field::Text6, Field::Text7, Field::Text8, Field::Text9, Field::Text10}) {
    EXPECT_EQ(form.GetFieldText(field), " ");
  }
}

// Copiar cifras copies the figures as lines and as a table; the chart
// commands take the chart with the focus, else the history.
TEST_F(EstimationSessionTest, CopiesTheFiguresAndPicksTheChart) {
  session.OpenText(std::string(kDays));
  Finish();
  for (const MenuCommand other : {MenuCommand::CopyChart, MenuCommand::SaveChart, MenuCommand::CopyResults}) {
    EXPECT_FALSE(session.Command(other));
    EXPECT_EQ(surface.clipboardText(), "");
  }
  EXPECT_TRUE(session.Command(MenuCommand::CopyFigures));
  EXPECT_EQ(surface.clipboardText(), FiguresText(session.view().figures, "\n"));
  EXPECT_EQ(surface.clipboardHtml(), HtmlTableOf(session.view().figures));
  EXPECT_NE(surface.clipboardText().find("Valor Actual: 102.5"), std::string::npos);

  const struct {
    std::optional<EstimationControl> focus;
    EstimationControl chart;
  } charts[] = {{std::nullopt, EstimationControl::HistoryChart},
                {EstimationControl::ReturnsChart, EstimationControl::ReturnsChart},
                {EstimationControl::HistoryChart, EstimationControl::HistoryChart},
                {EstimationControl::Figures, EstimationControl::HistoryChart}};
  for (const auto& c : charts) {
    EXPECT_EQ(EstimationSession::ChartOfCommand(c.focus), c.chart);
  }
}

}  // namespace
}  // namespace cotalia
