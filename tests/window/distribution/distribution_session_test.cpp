// SPDX-License-Identifier: GPL-3.0-or-later
// The distribution window's behaviour on a surface in memory: what it reads,
// what each event recomputes, where the reading goes and what it writes.
#include "window/distribution/distribution_session.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/window/controls/surface_in_memory.h"
#include "window/exports/clipboard_table.h"

namespace cotalia {
namespace {

constexpr std::size_t Row(DistributionControl control) { return RowIndex(control); }

// The form of the worked example, with four texts that differ, so that a
// text read for another gives other figures.
InMemoryFields WorkedForm() {
  InMemoryFields form;
  for (const auto& [field, text] : {std::pair{Field::Text1, "100"}, std::pair{Field::Text2, "10"},
                                    std::pair{Field::Text3, "20"}, std::pair{Field::Text4, "12"}}) {
    form.SetFieldText(field, text);
  }
  return form;
}

// A window open on the worked example, and what it shows.
struct Window {
  InMemoryFields form = WorkedForm();
  SurfaceInMemory surface{kDistributionControls};
  DistributionSession session{form, surface};

  Window() { session.Refresh(); }
  const std::string& text(DistributionControl row) const { return surface.row(Row(row)).text; }
  const SurfaceInMemory::Row& chart() const { return surface.row(Row(DistributionControl::Chart)); }
  // What the window shows for these inputs, computed afresh.
  DistributionView expected(const DistributionRequest& request) const { return ViewOf(request); }
};

// Each of the window's inputs, typed or chosen, recomputes all it shows
// from the form's four texts and its own four, each read where it is.
TEST(DistributionSession, EachInputRecomputesFromItsOwnText) {
  const struct {
    const char* name;
    std::function<void(Window&)> act;
    DistributionRequest request;
    ChartOptions options;
  } cases[] = {
      {"opened", [](Window&) {}, {{"100", "10", "20", "12"}, "95", ""}, {}},
      {"level",
       [](Window& w) {
         w.surface.Type(Row(DistributionControl::Level), "99");
         w.session.Changed(DistributionControl::Level);
       },
       {{"100", "10", "20", "12"}, "99", ""},
       {}},
      {"target",
       [](Window& w) {
         w.surface.Type(Row(DistributionControl::Target), "130");
         w.session.Changed(DistributionControl::Target);
       },
       {{"100", "10", "20", "12"}, "95", "130"},
       {}},
      {"range",
       [](Window& w) {
         w.surface.Type(Row(DistributionControl::Lower), "90");
         w.session.Changed(DistributionControl::Lower);
         w.surface.Type(Row(DistributionControl::Upper), "120");
         w.session.Changed(DistributionControl::Upper);
       },
       {{"100", "10", "20", "12"}, "95", "", "90", "120"},
       {}},
      {"form",
       [](Window& w) {
         w.form.SetFieldText(Field::Text1, "50");
         w.form.SetFieldText(Field::Text2, "5");
         w.form.SetFieldText(Field::Text3, "30");
         w.form.SetFieldText(Field::Text4, "6");
         w.session.Refresh();
       },
       {{"50", "5", "30", "6"}, "95", ""},
       {}},
      {"logarithmic",
       [](Window& w) {
         w.surface.Choose(Row(DistributionControl::PriceAxis), kLogarithmicPriceAxis);
         w.session.Changed(DistributionControl::PriceAxis);
       },
       {{"100", "10", "20", "12"}, "95", ""},
       {true, false, std::nullopt}},
      {"density",
       [](Window& w) {
         w.surface.Choose(Row(DistributionControl::ChartKind), kDensityChart);
         w.session.Changed(DistributionControl::ChartKind);
       },
       {{"100", "10", "20", "12"}, "95", ""},
       {false, true, std::nullopt}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Window w;
    c.act(w);
    const DistributionView view = w.expected(c.request);
    EXPECT_EQ(w.session.view().description, view.description);
    EXPECT_EQ(w.session.options().logarithmic, c.options.logarithmic);
    EXPECT_EQ(w.session.options().density, c.options.density);
    EXPECT_EQ(w.text(DistributionControl::Figures), FiguresText(view, "\n"));
    EXPECT_EQ(w.text(DistributionControl::Percentiles), PercentilesText(view, "\n"));
    EXPECT_EQ(w.text(DistributionControl::Readout), kReadoutHint);
    EXPECT_EQ(w.chart().description, DescriptionOf(view, c.options));
    const ChartDrawing drawn = DrawChart(view, w.surface.area(), w.surface.textWidth(), c.options);
    const ChartDrawing painted = w.surface.Painted(Row(DistributionControl::Chart));
    ASSERT_EQ(painted.labels.size(), drawn.labels.size());
    for (std::size_t i = 0; i < drawn.labels.size(); ++i)
      EXPECT_EQ(painted.labels[i].text, drawn.labels[i].text);
    EXPECT_EQ(w.form.GetFieldText(Field::Text1), c.request.inputs.price) << "the form is only read";
  }
}

// Only the inputs' events recompute: each one gives the chart anew, even to
// the same words; the other rows' change nothing.
TEST(DistributionSession, OnlyTheInputsRecompute) {
  const struct {
    DistributionControl row;
    int chartsGiven;
  } cases[] = {{DistributionControl::Level, 2},       {DistributionControl::Target, 2},
               {DistributionControl::Lower, 2},       {DistributionControl::Upper, 2},
               {DistributionControl::PriceAxis, 2},   {DistributionControl::ChartKind, 2},
               {DistributionControl::LevelLabel, 1},  {DistributionControl::Chart, 1},
               {DistributionControl::Readout, 1},     {DistributionControl::Figures, 1},
               {DistributionControl::Percentiles, 1}, {DistributionControl::RangeNote, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(ControlOf(c.row).name);
    Window w;
    w.form.SetFieldText(Field::Text1, "200");
    w.session.Changed(c.row);
    EXPECT_EQ(w.chart().chartsGiven, c.chartsGiven);
    EXPECT_EQ(w.session.view().description == w.expected({{"200", "10", "20", "12"}, "95", ""}).description,
              c.chartsGiven == 2);
  }
}

// The pointer and the reading's keys read the chart in the surface's frame;
// the reading is the line under the chart and leads the chart's
// description, and the chart is given anew only where the reading moved.
// Another kind of chart starts with no reading; another price axis keeps it.
TEST(DistributionSession, ReadingsFollowThePointerAndTheKeys) {
  using Reading = std::optional<ChartReading>;
  using Expected = std::function<Reading(const DistributionView&, const ChartFrame&)>;
  const auto at = [](const Reading& reading) { return std::optional(reading->at); };
  const auto pointer = [](const DistributionView& view, const ChartFrame& frame) {
    return ReadoutAt(view, {}, frame.area, frame.textWidth, 300);
  };
  const auto key = [](ReadoutKey key, const Expected& before) {
    return [key, before](const DistributionView& view, const ChartFrame& frame) {
      const Reading from = before ? before(view, frame) : std::nullopt;
      const ChartOptions options{false, false, from ? std::optional(from->at) : std::nullopt};
      return ReadoutAfterKey(view, options, frame.area, frame.textWidth, key);
    };
  };
  const auto choose = [](DistributionControl row, std::size_t choice) {
    return [row, choice](Window& w) {
      w.surface.Choose(Row(row), choice);
      w.session.Changed(row);
    };
  };
  const struct {
    const char* name;
    std::vector<std::function<void(Window&)>> acts;
    Expected reading;      // none where no reading stands after the acts
    ChartOptions options;  // the chart's kind and axis after the acts, and no reading
    int moreCharts;        // how many more times the chart was given after opening
  } cases[] = {
      {"pointer", {[](Window& w) { w.session.PointerAt(300); }}, pointer, {}, 1},
      {"pointer again at the same month, then a new view",
       {[](Window& w) { w.session.PointerAt(300); }, [](Window& w) { w.session.PointerAt(301); },
        [](Window& w) { w.session.Refresh(); }},
       pointer,
       {},
       2},
      {"left", {[](Window& w) { w.session.KeyPressed(ReadoutKey::Left); }}, key(ReadoutKey::Left, {}), {}, 1},
      {"right after the pointer",
       {[](Window& w) { w.session.PointerAt(300); },
        [](Window& w) { w.session.KeyPressed(ReadoutKey::Right); }},
       key(ReadoutKey::Right, pointer),
       {},
       2},
      {"home", {[](Window& w) { w.session.KeyPressed(ReadoutKey::Home); }}, key(ReadoutKey::Home, {}), {}, 1},
      {"end twice",
       {[](Window& w) { w.session.KeyPressed(ReadoutKey::End); },
        [](Window& w) { w.session.KeyPressed(ReadoutKey::End); }},
       key(ReadoutKey::End, {}),
       {},
       1},
      {"another price axis keeps it",
       {[](Window& w) { w.session.PointerAt(300); },
        choose(DistributionControl::PriceAxis, kLogarithmicPriceAxis)},
       [&](const DistributionView& view, const ChartFrame& frame) {
         return ReadoutOf(view, {true, false, at(pointer(view, frame))}, frame.area, frame.textWidth);
       },
       {true, false, std::nullopt},
       2},
      {"the density drops it",
       {[](Window& w) { w.session.PointerAt(300); }, choose(DistributionControl::ChartKind, kDensityChart)},
       {},
       {false, true, std::nullopt},
       2},
      {"the density and back drop it",
       {[](Window& w) { w.session.PointerAt(300); }, choose(DistributionControl::ChartKind, kDensityChart),
        choose(DistributionControl::ChartKind, 0)},
       {},
       {},
       3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Window w;
    for (const auto& act : c.acts) act(w);
    EXPECT_EQ(w.chart().chartsGiven, 1 + c.moreCharts);
    const ChartFrame frame = w.surface.FrameOf(Row(DistributionControl::Chart));
    const Reading reading = c.reading ? c.reading(w.session.view(), frame) : std::nullopt;
    EXPECT_EQ(w.session.options().readout, reading ? at(reading) : std::nullopt);
    EXPECT_EQ(w.text(DistributionControl::Readout), ReadoutText(w.session.view(), reading));
    const ChartOptions options{c.options.logarithmic, c.options.density, w.session.options().readout};
    EXPECT_EQ(w.chart().description, DescriptionOf(w.session.view(), options, reading));
    // The marker where the reading stands.
    const ChartDrawing painted = w.surface.Painted(Row(DistributionControl::Chart));
    const ChartDrawing drawn = DrawChart(w.session.view(), frame.area, frame.textWidth, options);
    ASSERT_EQ(painted.shapes.size(), drawn.shapes.size());
    EXPECT_EQ(painted.shapes.back().points.front().x, drawn.shapes.back().points.front().x);
  }
}

// Where the chart is a message there is nothing to read, and the line under
// it says nothing.
TEST(DistributionSession, AMessageHasNoReading) {
  Window w;
  w.form.SetFieldText(Field::Text1, "-5");
  w.session.Refresh();
  w.session.PointerAt(300);
  w.session.KeyPressed(ReadoutKey::End);
  EXPECT_EQ(w.text(DistributionControl::Readout), "");
  EXPECT_FALSE(w.session.options().readout.has_value());
  EXPECT_EQ(w.chart().description, w.session.view().description);
}

// "Copiar cifras" copies the figures and then the percentiles, as text and
// as a table; the chart's commands are the toolkit's.
TEST(DistributionSession, CopiesTheFiguresThenThePercentiles) {
  const struct {
    MenuCommand command;
    bool taken;
  } cases[] = {{MenuCommand::CopyFigures, true},
               {MenuCommand::CopyChart, false},
               {MenuCommand::SaveChart, false},
               {MenuCommand::CopyResults, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.command));
    Window w;
    w.surface.Type(Row(DistributionControl::Target), "130");
    w.session.Changed(DistributionControl::Target);
    EXPECT_EQ(w.session.Command(c.command), c.taken);
    const std::vector<Figure>& copied = w.session.view().copied;
    EXPECT_EQ(w.surface.clipboardText(), c.taken ? FiguresText(copied, "\n") : "");
    EXPECT_EQ(w.surface.clipboardHtml(), c.taken ? HtmlTableOf(copied) : "");
  }
}

}  // namespace
}  // namespace cotalia
