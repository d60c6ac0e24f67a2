// SPDX-License-Identifier: GPL-3.0-or-later
// The distribution window's chart on Qt: what it paints, and what its
// menu copies and saves.
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "model/runtime/number_text.h"
#include "tests/window/qt/qt_test_support.h"
#include "window/qt/distribution_window.h"

class ChartWindowTest : public QtWindowTest {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(openForm()); }
  void cleanup() { closeForm(); }

  // The distribution window's menu: its figures as text and as a table, and
  // its chart as an image and as SVG; the window and the form unchanged.
  void distributionMenuCopiesFiguresAndChart() {
    cotalia::DistributionWindow* distribution = openDistribution();
    distribution->findChild<QLineEdit*>(QStringLiteral("target"))->setText(QStringLiteral("130"));
    auto* chart = distribution->findChild<cotalia::ChartWidget*>(QStringLiteral("chart"));
    const QString figures =
        distribution->findChild<QPlainTextEdit*>(QStringLiteral("figures"))->toPlainText();
    QApplication::clipboard()->clear();
    chart->setFocus();
    QTest::keyClick(chart, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    // The figures, then the percentiles, each named as one.
    QStringList lines = figures.split('\n');
    for (const QString& line :
         distribution->findChild<QPlainTextEdit*>(QStringLiteral("percentiles"))->toPlainText().split('\n')) {
      lines << QStringLiteral("Percentil ") + line;
    }
    QCOMPARE(lines.size(), 9 + 9);
    QCOMPARE(copied->text(), lines.join('\n'));
    QVERIFY(copied->html().contains(QStringLiteral("sdval=\"%1\"")
                                        .arg(QStringOf(cotalia::TextOfNumber(
                                            std::get<cotalia::DistributionChart>(distribution->view().chart)
                                                .distribution.horizon.median)))));

    QApplication::clipboard()->clear();
    QTest::keyClick(chart, Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    copied = QApplication::clipboard()->mimeData();
    QVERIFY(copied->hasImage());
    QCOMPARE(qvariant_cast<QImage>(copied->imageData()).size(), chart->size());
    const QByteArray svg = copied->data(QStringLiteral("image/svg+xml"));
    QVERIFY(svg.startsWith("<?xml"));
    QVERIFY(svg.contains("<text"));
    QCOMPARE(distribution->findChild<QPlainTextEdit*>(QStringLiteral("figures"))->toPlainText(), figures);
    for (int i = 5; i <= 10; ++i) QCOMPARE(textOf(QStringLiteral("Text%1").arg(i)), QStringLiteral(" "));
  }

  // "Guardar gráfico como…" saves the file the user names in the kind chosen,
  // and only that file; a file that cannot be written is a message, and the
  // window stays as it was.
  void guardarGraficoSavesTheChosenFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("filter");
    QTest::addColumn<int>("scale");  // 0 for SVG
    QTest::newRow("PNG") << QStringLiteral("gráfico.png") << 0 << 1;
    QTest::newRow("PNG at twice") << QStringLiteral("doble.png") << 1 << 2;
    QTest::newRow("SVG") << QStringLiteral("図表 график.svg") << 2 << 0;
    QTest::newRow("SVG by its name under the PNG filter") << QStringLiteral("por nombre.svg") << 0 << 0;
    QTest::newRow("no extension: the filter's") << QStringLiteral("sin extensión") << 1 << 2;
  }

  void guardarGraficoSavesTheChosenFile() {
    QFETCH(QString, name);
    QFETCH(int, filter);
    QFETCH(int, scale);
    QTemporaryDir folder;
    cotalia::DistributionWindow* distribution = openDistribution();
    auto* chart = distribution->findChild<cotalia::ChartWidget*>(QStringLiteral("chart"));
    chart->setFocus();
    QTest::keyClick(chart, Qt::Key_S, Qt::ControlModifier);
    auto* dialog = distribution->findChild<QFileDialog*>(QStringLiteral("saveChart"));
    QVERIFY(dialog != nullptr);
    QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite) == false);
    dialog->setDirectory(folder.path());
    dialog->selectNameFilter(dialog->nameFilters().at(filter));
    dialog->selectFile(name);
    static_cast<QDialog*>(dialog)->accept();  // as the Save button does
    const QStringList saved = QDir(folder.path()).entryList(QDir::Files);
    QCOMPARE(saved.size(), 1);
    QFile file(folder.filePath(saved.front()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    if (scale == 0) {
      QVERIFY(saved.front().endsWith(QStringLiteral(".svg")));
      QVERIFY(bytes.startsWith("<?xml"));
      QVERIFY(bytes.contains("Gráfico de la distribución"));
    } else {
      QVERIFY(saved.front().endsWith(QStringLiteral(".png")));
      const QImage image = QImage::fromData(bytes, "PNG");
      QCOMPARE(image.size(), chart->size() * scale);
    }
  }

  void guardarGraficoReportsAFileThatCannotBeWritten() {
    QTemporaryDir folder;
    QFile blocker(folder.filePath(QStringLiteral("un archivo")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    cotalia::DistributionWindow* distribution = openDistribution();
    auto* chart = distribution->findChild<cotalia::ChartWidget*>(QStringLiteral("chart"));
    const QString figures =
        distribution->findChild<QPlainTextEdit*>(QStringLiteral("figures"))->toPlainText();
    chart->setFocus();
    QTest::keyClick(chart, Qt::Key_S, Qt::ControlModifier);
    auto* dialog = distribution->findChild<QFileDialog*>(QStringLiteral("saveChart"));
    QVERIFY(dialog != nullptr);
    // A folder that is a file: what the dialog gives when the disk changed
    // under it.
    emit dialog->fileSelected(folder.filePath(QStringLiteral("un archivo/gráfico.png")));
    auto* problem = distribution->findChild<QMessageBox*>(QStringLiteral("saveProblem"));
    QVERIFY(problem != nullptr);
    QVERIFY(problem->isVisible());
    QCOMPARE(problem->windowTitle(), QStringLiteral("Guardar gráfico como"));
    QVERIFY(problem->text().contains(QStringLiteral("gráfico.png")));
    problem->accept();
    QVERIFY(distribution->isVisible());
    QCOMPARE(distribution->findChild<QPlainTextEdit*>(QStringLiteral("figures"))->toPlainText(), figures);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("un archivo")});
  }

  // A cancelled dialog writes nothing and says nothing.
  void guardarGraficoCancelledDoesNothing() {
    cotalia::DistributionWindow* distribution = openDistribution();
    QTest::keyClick(distribution->findChild<QLineEdit*>(QStringLiteral("level")), Qt::Key_S,
                    Qt::ControlModifier);
    QPointer<QFileDialog> dialog = distribution->findChild<QFileDialog*>(QStringLiteral("saveChart"));
    QVERIFY(dialog != nullptr);
    dialog->reject();
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(distribution->findChild<QMessageBox*>(QStringLiteral("saveProblem")) == nullptr);
  }

  // The density as painted: the band's colour under the curve inside the
  // band and not left of it; the target's red hatching under the curve
  // beyond the target and not between the median and the target; the
  // probability of ending beyond it written in red; the description tells
  // the mode.
  void distributionDensityPaintsItsDrawing() {
    cotalia::DistributionWindow* distribution = openDistribution();
    distribution->findChild<QLineEdit*>(QStringLiteral("target"))->setText(QStringLiteral("130"));
    distribution->findChild<QLineEdit*>(QStringLiteral("lower"))->setText(QStringLiteral("90"));
    distribution->findChild<QLineEdit*>(QStringLiteral("upper"))->setText(QStringLiteral("130"));
    QTest::mouseClick(distribution->findChild<QRadioButton*>(QStringLiteral("chartKind1")), Qt::LeftButton);
    auto* chart = distribution->findChild<cotalia::ChartWidget*>(QStringLiteral("chart"));
    QCOMPARE(chart->accessibleDescription(),
             QStringOf(cotalia::DescriptionOf(distribution->view(), {false, true, std::nullopt})));
    QVERIFY(chart->accessibleDescription().contains(QStringLiteral("moda, 104.081077419239")));
    const QImage image = chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const cotalia::ChartDrawing drawing = chart->drawing();
    const cotalia::PlotBox plot = drawing.plot;
    QVERIFY(plot.right > plot.left);
    const QColor background = chart->palette().base().color();

    const cotalia::Shape* curve = nullptr;
    const cotalia::Shape* band = nullptr;
    std::optional<double> median;
    std::optional<double> target;
    std::vector<double> grid;
    for (const cotalia::Shape& shape : drawing.shapes) {
      if (shape.ink == cotalia::Ink::Text) curve = &shape;
      if (shape.ink == cotalia::Ink::Band) band = &shape;
      if (shape.ink == cotalia::Ink::Median) median = shape.points[0].x;
      if (shape.ink == cotalia::Ink::Target && shape.points[0].y == plot.top) target = shape.points[0].x;
      if (shape.ink == cotalia::Ink::Grid)
        grid.push_back(shape.points[0].x == shape.points[1].x ? shape.points[0].x : -1e9);
    }
    QVERIFY(curve && band && median && target);
    // The curve's height at x, between its points.
    const auto curveAt = [curve](double x) {
      for (std::size_t i = 1; i < curve->points.size(); ++i) {
        const cotalia::Point& a = curve->points[i - 1];
        const cotalia::Point& b = curve->points[i];
        if (x >= a.x && x <= b.x) return b.x > a.x ? a.y + (x - a.x) / (b.x - a.x) * (b.y - a.y) : a.y;
      }
      return curve->points.back().y;
    };
    const auto nearGrid = [&grid](double x) {
      return std::any_of(grid.begin(), grid.end(), [x](double g) { return std::abs(g - x) < 4; });
    };
    // An ink laid over a colour, as the painter blends it.
    const auto over = [](cotalia::Ink ink, const QColor& under) {
      const cotalia::Colour c = cotalia::ColourOf(ink);
      const double alpha = c.alpha / 255.0;
      const auto blend = [alpha](int top, int bottom) { return qRound(top * alpha + bottom * (1 - alpha)); };
      return QColor(blend(c.red, under.red()), blend(c.green, under.green()), blend(c.blue, under.blue()));
    };
    const cotalia::Shape* range = nullptr;
    for (const cotalia::Shape& shape : drawing.shapes) {
      if (shape.ink == cotalia::Ink::Range) range = &shape;
    }
    QVERIFY(range != nullptr);
    // The band's colour, over the range's between the range's limits.
    const auto isBand = [&](double x, const QColor& pixel) {
      const bool inRange = x >= range->points[0].x && x <= range->points[1].x;
      const QColor expected =
          over(cotalia::Ink::Band, inRange ? over(cotalia::Ink::Range, background) : background);
      return std::abs(pixel.red() - expected.red()) <= 3 && std::abs(pixel.green() - expected.green()) <= 3 &&
             std::abs(pixel.blue() - expected.blue()) <= 3;
    };
    // Inside the band, left of the median where no hatching is: its colour
    // half-way up to the curve. Left of the band, under the curve: not.
    const double bandLeft = band->points.front().x;
    int inside = 0;
    for (double x = bandLeft + 4; x < *median - 4; x += 3) {
      const double y = (plot.bottom + curveAt(x)) / 2;
      const bool rangeEdge = std::abs(x - range->points[0].x) < 2 || std::abs(x - range->points[1].x) < 2;
      if (nearGrid(x) || rangeEdge || plot.bottom - curveAt(x) < 12) continue;
      const QColor pixel = image.pixelColor(qRound(x), qRound(y));
      QVERIFY2(isBand(x, pixel),
               qPrintable(QStringLiteral("band at %1, %2 is %3").arg(x).arg(y).arg(pixel.name())));
      ++inside;
    }
    QVERIFY2(inside >= 5, qPrintable(QString::number(inside)));
    int outside = 0;
    for (double x = plot.left + 2; x < bandLeft - 4; x += 3) {
      const double y = (plot.bottom + curveAt(x)) / 2;
      if (nearGrid(x) || plot.bottom - curveAt(x) < 6) continue;
      QVERIFY2(!isBand(x, image.pixelColor(qRound(x), qRound(y))), qPrintable(QString::number(x)));
      ++outside;
    }
    QVERIFY2(outside >= 3, qPrintable(QString::number(outside)));
    // Red under the curve along a row just above the axis: beyond the
    // target only.
    const int row = qRound(plot.bottom) - 3;
    const auto red = [&image, row](double from, double to) {
      int count = 0;
      for (int x = qRound(from); x <= qRound(to); ++x) {
        const QColor pixel = image.pixelColor(x, row);
        // The target's vermilion, not the expected price's reddish purple.
        if (pixel.red() - pixel.green() > 60 && pixel.red() - pixel.blue() > 100) ++count;
      }
      return count;
    };
    QVERIFY2(red(*target + 3, std::min(plot.right - 2, *target + 60)) >= 5,
             qPrintable(QString::number(red(*target + 3, *target + 60))));
    QCOMPARE(red(*median + 4, *target - 4), 0);
    const auto probability =
        std::find_if(drawing.labels.begin(), drawing.labels.end(),
                     [](const cotalia::Label& label) { return label.text == "18.09 %"; });
    QVERIFY(probability != drawing.labels.end());
    QCOMPARE(probability->ink, cotalia::Ink::Target);
    QVERIFY(probability->topLeft.x > *target);
    int redText = 0;
    const double lineHeight = QFontMetricsF(chart->font()).height();
    for (int y = qRound(probability->topLeft.y); y < qRound(probability->topLeft.y + lineHeight); ++y) {
      for (int x = qRound(probability->topLeft.x); x < qRound(probability->topLeft.x + probability->width);
           ++x) {
        const QColor pixel = image.pixelColor(x, y);
        if (pixel.red() - pixel.green() > 80) ++redText;
      }
    }
    QVERIFY2(redText >= 10, qPrintable(QString::number(redText)));
    // Back to the fan: its band over the months again.
    QTest::mouseClick(distribution->findChild<QRadioButton*>(QStringLiteral("chartKind0")), Qt::LeftButton);
    QCOMPARE(chart->accessibleDescription(), QStringOf(distribution->view().description));
    const cotalia::ChartDrawing fan = chart->drawing();
    QVERIFY(std::any_of(fan.labels.begin(), fan.labels.end(),
                        [](const cotalia::Label& label) { return label.text == "Meses"; }));
  }

  // What the chart paints is what the drawing says: the band's and the
  // median's colours where their shapes lie, nothing but the background
  // outside the plot and the labels, and no label over another in the
  // window's own font.
  void distributionChartPaintsItsDrawing_data() {
    QTest::addColumn<bool>("logarithmic");
    QTest::newRow("linear") << false;
    QTest::newRow("logarithmic") << true;
  }

  void distributionChartPaintsItsDrawing() {
    QFETCH(bool, logarithmic);
    cotalia::DistributionWindow* distribution = openDistribution();
    // A wider spread, which parts the median from the expected price.
    type("Text3", QStringLiteral("60"));
    distribution->findChild<QLineEdit*>(QStringLiteral("level"))->setText(QStringLiteral("99"));
    distribution->findChild<QLineEdit*>(QStringLiteral("target"))->setText(QStringLiteral("130"));
    QTest::mouseClick(distribution->findChild<QRadioButton*>(logarithmic ? QStringLiteral("priceAxis1")
                                                                         : QStringLiteral("priceAxis0")),
                      Qt::LeftButton);
    auto* chart = distribution->findChild<cotalia::ChartWidget*>(QStringLiteral("chart"));
    const QImage image = chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.size(), chart->size());
    const cotalia::ChartDrawing drawing = chart->drawing();
    QVERIFY(drawing.plot.right > drawing.plot.left);
    // The button chose the axis: the band's 19.7 to 433 at 1, 2 and 5 times
    // powers of ten (50 among them) on a logarithmic one, in hundreds on a
    // linear one.
    const bool oneTwoFive = std::any_of(drawing.labels.begin(), drawing.labels.end(),
                                        [](const cotalia::Label& label) { return label.text == "50"; });
    QCOMPARE(oneTwoFive, logarithmic);
    const double line = QFontMetricsF(chart->font()).height();
    const QColor background = chart->palette().base().color();

    const auto shape = [&drawing](cotalia::Ink ink) -> const cotalia::Shape& {
      for (const cotalia::Shape& s : drawing.shapes) {
        if (s.ink == ink) return s;
      }
      qFatal("no shape of that ink");
    };
    const cotalia::Shape& band = shape(cotalia::Ink::Band);
    const cotalia::Shape& median = shape(cotalia::Ink::Median);
    const cotalia::Shape& expected = shape(cotalia::Ink::Expected);
    const std::size_t samples = median.points.size();
    // Inside the band, halfway between its upper edge and the median, away
    // from the grid, the target's line and the expected price's: the band's
    // colour over the background.
    const auto nearStraightLine = [&drawing](double x, double y) {
      for (const cotalia::Shape& s : drawing.shapes) {
        if (s.ink != cotalia::Ink::Grid && s.ink != cotalia::Ink::Target) continue;
        const bool vertical = s.points[0].x == s.points[1].x;
        if (vertical ? std::abs(s.points[0].x - x) < 4 : std::abs(s.points[0].y - y) < 4) return true;
      }
      return false;
    };
    const cotalia::Colour ink = cotalia::ColourOf(cotalia::Ink::Band);
    const double alpha = ink.alpha / 255.0;
    const auto blend = [alpha](int over, int under) { return over * alpha + under * (1 - alpha); };
    int bandPixels = 0;
    for (std::size_t i = samples / 2; i < samples - 2; ++i) {
      const double x = band.points[i].x;
      const double y = (band.points[i].y + median.points[i].y) / 2;
      if (median.points[i].y - band.points[i].y < 10 || std::abs(expected.points[i].y - y) < 5 ||
          nearStraightLine(x, y)) {
        continue;
      }
      const QColor pixel = image.pixelColor(qRound(x), qRound(y));
      QVERIFY2(std::abs(pixel.red() - blend(ink.red, background.red())) <= 3 &&
                   std::abs(pixel.green() - blend(ink.green, background.green())) <= 3 &&
                   std::abs(pixel.blue() - blend(ink.blue, background.blue())) <= 3,
               qPrintable(QStringLiteral("band at %1, %2 is %3").arg(x).arg(y).arg(pixel.name())));
      ++bandPixels;
    }
    QVERIFY(bandPixels >= 5);
    // On the median's line, where the expected price's, drawn after it, is
    // not: its dark blue, not the band's light one.
    int medianPixels = 0;
    for (std::size_t i = 4; i < samples - 4; i += 2) {
      if (std::abs(expected.points[i].y - median.points[i].y) < 3.5) continue;
      const QColor pixel = image.pixelColor(qRound(median.points[i].x), qRound(median.points[i].y));
      QVERIFY2(pixel.red() < 110 && pixel.blue() > pixel.red() + 60, qPrintable(pixel.name()));
      ++medianPixels;
    }
    QVERIFY2(medianPixels >= 10, qPrintable(QString::number(medianPixels)));
    // The target's line in its red across the plot, the start in black,
    // the axes in their dark grey.
    const cotalia::Shape& target = shape(cotalia::Ink::Target);
    for (const double along : {0.3, 0.5, 0.7}) {
      const double x = drawing.plot.left + along * (drawing.plot.right - drawing.plot.left);
      if (nearStraightLine(x, -100)) continue;
      QColor pixel = image.pixelColor(qRound(x), qRound(target.points[0].y));
      for (int dy = -1; dy <= 1; ++dy) {
        const QColor near = image.pixelColor(qRound(x), qRound(target.points[0].y) + dy);
        if (near.red() - near.green() > pixel.red() - pixel.green()) pixel = near;
      }
      QVERIFY2(pixel.red() > 150 && pixel.green() < 130 && pixel.blue() < 60, qPrintable(pixel.name()));
    }
    const cotalia::Point start = shape(cotalia::Ink::Start).points.at(0);
    const QColor dot = image.pixelColor(qRound(start.x), qRound(start.y));
    QVERIFY2(dot.red() < 80 && dot.green() < 80 && dot.blue() < 80, qPrintable(dot.name()));
    const auto darkest = [&image](int x, int y) {
      int lightness = 255;
      for (int dy = -1; dy <= 1; ++dy)
        lightness = std::min(lightness, image.pixelColor(x, y + dy).lightness());
      return lightness;
    };
    const int middle = qRound((drawing.plot.left + drawing.plot.right) / 2);
    QVERIFY2(darkest(middle + 7, qRound(drawing.plot.bottom)) < background.lightness() - 60,
             "the months axis is drawn");

    // Outside the plot (and the start dot and pens that reach past its
    // edges) and outside every label: the background only.
    const QRectF plot(QPointF(drawing.plot.left - 6, drawing.plot.top - 3),
                      QPointF(drawing.plot.right + 3, drawing.plot.bottom + 3));
    std::vector<QRectF> labels;
    for (const cotalia::Label& label : drawing.labels) {
      labels.emplace_back(label.topLeft.x - 2, label.topLeft.y - 2, label.width + 4, line + 4);
    }
    int stray = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QPointF at(x + 0.5, y + 0.5);
        if (plot.contains(at) ||
            std::any_of(labels.begin(), labels.end(), [&](const QRectF& r) { return r.contains(at); })) {
          continue;
        }
        if (image.pixelColor(x, y) != background) ++stray;
      }
    }
    QCOMPARE(stray, 0);
    for (std::size_t i = 0; i < labels.size(); ++i) {
      QVERIFY2(QRectF(0, 0, image.width(), image.height()).contains(labels[i].adjusted(2, 2, -2, -2)),
               drawing.labels[i].text.c_str());
      for (std::size_t j = i + 1; j < labels.size(); ++j) {
        QVERIFY2(!labels[i].adjusted(2, 2, -2, -2).intersects(labels[j].adjusted(2, 2, -2, -2)),
                 (drawing.labels[i].text + " over " + drawing.labels[j].text).c_str());
      }
    }
  }
};

int RunChartWindowTests(int argc, char** argv) {
  ChartWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "chart_window_test.moc"
