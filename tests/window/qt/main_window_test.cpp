// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/qt/main_window.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "model/runtime/number_text.h"
#include "tests/window/window_scenarios.h"
#include "window/form/window_description.h"
#include "window/qt/distribution_window.h"
#include "window/qt/estimation_window.h"

namespace scenarios = cotalia::scenarios;
using cotalia::ControlRole;
using cotalia::kControls;
using cotalia::MainWindow;
using cotalia::WindowControl;
using cotalia::scenarios::Failure;
using cotalia::scenarios::WorkedExample;

Q_DECLARE_METATYPE(const WindowControl*)
Q_DECLARE_METATYPE(const WorkedExample*)
Q_DECLARE_METATYPE(const Failure*)

namespace {

QString QStringOf(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QRect PixelRectOf(const WindowControl& control) {
  const cotalia::Rectangle place = RectangleOf(control.place, cotalia::kForm.width, cotalia::kForm.height);
  return {place.left, place.top, place.width, place.height};
}

// What a screen reader is told the widget is called.
QString AnnouncedNameOf(QWidget* widget) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible == nullptr ? QString() : accessible->text(QAccessible::Name);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> window_;

  template <typename Widget = QWidget>
  Widget* control(const QString& name) {
    auto* widget = window_->findChild<Widget*>(name);
    if (widget == nullptr) qFatal("no control %s", qPrintable(name));
    return widget;
  }

  // Types into a box as a user does: click it, select what it holds, type.
  void type(const QString& box, const QString& text) {
    QLineEdit* edit = control<QLineEdit>(box);
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
  }

  void click(const QString& button) { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }

  QString textOf(const QString& box) { return control<QLineEdit>(box)->text(); }

  QMenuBar* menuBar() { return window_->findChild<QMenuBar*>(); }

  // The distribution window after the shared worked example, opened with
  // its shortcut.
  cotalia::DistributionWindow* openDistribution() {
    for (std::size_t i = 0; i < scenarios::kDistributionInputs.size(); ++i) {
      type(QStringLiteral("Text%1").arg(i + 1), QStringOf(scenarios::kDistributionInputs[i]));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
    auto* distribution = window_->findChild<cotalia::DistributionWindow*>(QStringLiteral("distribution"));
    if (distribution == nullptr || !distribution->isVisible()) qFatal("Ctrl+D opened no distribution window");
    // Its menu's shortcuts are the active window's: the offscreen platform
    // leaves the form active.
    QApplication::setActiveWindow(distribution);
    if (!QTest::qWaitForWindowActive(distribution)) qFatal("the distribution window is not active");
    return distribution;
  }

  // The estimation window, once its reading is done.
  cotalia::EstimationWindow* estimationWindow() {
    auto* estimation = window_->findChild<cotalia::EstimationWindow*>(QStringLiteral("estimation"));
    if (estimation == nullptr) return nullptr;
    // It is reading until its timer has taken the outcome and shown it.
    for (int i = 0; i < 1000 && estimation->reading(); ++i) QTest::qWait(10);
    return estimation;
  }

  static QString estimationFigures(cotalia::EstimationWindow* estimation) {
    return estimation->findChild<QPlainTextEdit*>(QStringLiteral("figures"))->toPlainText();
  }

  // What the window must show for the text with its periods a year, and
  // column, computed apart from the window.
  static cotalia::EstimationView expectedView(std::string_view text, std::optional<std::size_t> column = {},
                                              std::optional<std::string> periods = {}) {
    cotalia::EstimationState state = cotalia::ReadPriceText(text, {});
    if (column) state = cotalia::ReadPriceColumn(std::get<cotalia::LoadedPrices>(state), *column, {});
    return cotalia::EstimationViewOf(state, periods.value_or(cotalia::PeriodsTextOf(state)));
  }

  QAction* menuItem(const QString& text) {
    for (QAction* menuAction : menuBar()->actions()) {
      for (QAction* item : menuAction->menu()->actions()) {
        if (item->text() == text) return item;
      }
    }
    qFatal("no menu item %s", qPrintable(text));
  }

 private slots:
  void init() {
    window_ = std::make_unique<MainWindow>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }

  void cleanup() { window_.reset(); }

  void windowHasItsCaptionAndClientArea() {
    QCOMPARE(window_->objectName(), QStringLiteral("Form1"));
    QCOMPARE(window_->windowTitle(),
             QStringLiteral("  www.cotalia.example:::::Simulador:::::Cotalia:::::Acciones"));
    QVERIFY(!window_->windowIcon().isNull());
    // The form keeps its size below the menu bar, which the window grows by.
    QWidget* form = control(QStringLiteral("form"));
    QCOMPARE(form->size(), QSize(751, 314));
    QCOMPARE(form->pos(), QPoint(0, menuBar()->height()));
    QCOMPARE(window_->size(), QSize(751, 314 + menuBar()->height()));
    QCOMPARE(form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 27);
  }

  void menuBarHasItsMenusItemsAndShortcuts() {
    const struct {
      const char* menu;
      const char* item;
      const char* shortcut;
    } expected[] = {{"&Archivo", "&Abrir precios…", "Ctrl+O"},
                    {"&Archivo", "&Salir", "Ctrl+Q"},
                    {"&Edición", "&Copiar resultados", "Ctrl+Shift+C"},
                    {"&Edición", "&Pegar precios", "Ctrl+Shift+V"},
                    {"&Ver", "&Distribución del precio…", "Ctrl+D"},
                    {"A&yuda", "&Acerca de Cotalia", ""},
                    {"A&yuda", "Acerca de &Qt", ""}};
    QStringList seen;
    for (QAction* menuAction : menuBar()->actions()) {
      for (QAction* item : menuAction->menu()->actions()) {
        seen << menuAction->text() + " > " + item->text() + " > " + item->shortcut().toString();
      }
    }
    QStringList wanted;
    for (const auto& e : expected) wanted << QString::fromUtf8(e.menu) + " > " + e.item + " > " + e.shortcut;
    QCOMPARE(seen, wanted);
  }

  void f10OpensTheFirstMenu() {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
    QCOMPARE(menuBar()->activeAction(), menuBar()->actions().constFirst());
  }

  // Copying after the worked example gives two columns, label and text, and
  // leaves every field as it was.
  void copiarResultadosPutsTheTenFieldsOnTheClipboard() {
    type("Text1", "100");
    type("Text2", "10");
    type("Text3", "20");
    type("Text4", "12");
    for (int i = 1; i <= 6; ++i) click(QStringLiteral("Command%1").arg(i));
    QStringList before;
    for (int i = 1; i <= 10; ++i) before << textOf(QStringLiteral("Text%1").arg(i));
    QApplication::clipboard()->clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Valor Actual\t100\n"
                                                               "Rendimiento\t10\n"
                                                               "Volatilidad\t20\n"
                                                               "Tiempo\t12\n"
                                                               "Precio Minimo\t73.1981528228311\n"
                                                               "Precio Maximo\t160.319738372657\n"
                                                               "Precio Esperado\t110.517091807565\n"
                                                               "Variacion esperada\t22.3263055970384\n"
                                                               "Media Dn\t4.68517018598809\n"
                                                               "Volatilidad Dn\t0.2\n"));
    // Beside it, the same cells as a table whose numbers keep their value
    // for a spreadsheet in any language.
    const QString html = QApplication::clipboard()->mimeData()->html();
    for (const char* value : {"100", "73.1981528228311", "160.319738372657", "110.517091807565",
                              "22.3263055970384", "4.68517018598809", "0.2"}) {
      QVERIFY2(html.contains(QStringLiteral("sdval=\"%1\"").arg(value)), qPrintable(value));
      QVERIFY2(html.contains(QStringLiteral("x:num=\"%1\"").arg(value)), qPrintable(value));
    }
    QVERIFY(html.contains(QStringLiteral(">Precio Minimo<")));
    QStringList after;
    for (int i = 1; i <= 10; ++i) after << textOf(QStringLiteral("Text%1").arg(i));
    QCOMPARE(after, before);
  }

  // An untouched box is copied as it is: its one blank.
  void copiarResultadosKeepsTheBlankOfAnUntouchedBox() {
    QApplication::clipboard()->clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(
        QApplication::clipboard()->text().startsWith(QStringLiteral("Valor Actual\t \nRendimiento\t \n")));
  }

  // The box is opened, not run: modal over the form only, one however often
  // it is asked for, and gone once closed.
  void acercaDeTellsVersionCopyrightAndLicence() {
    // Runs only if a loop runs inside trigger(): it ends that loop rather
    // than leave the test waiting for a click.
    bool ranItsOwnLoop = false;
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [&] {
      ranItsOwnLoop = true;
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->reject();
    });
    guard.start(0);
    menuItem(QStringLiteral("&Acerca de Cotalia"))->trigger();
    guard.stop();
    QVERIFY2(!ranItsOwnLoop, "the box ran a loop of its own inside the menu action");
    const QList<QMessageBox*> boxes = window_->findChildren<QMessageBox*>();
    QCOMPARE(boxes.size(), 1);
    QPointer<QMessageBox> about = boxes.front();
    QVERIFY(about->isVisible());
    QCOMPARE(about->windowModality(), Qt::WindowModal);
    QCOMPARE(about->windowTitle(), QStringLiteral("Acerca de Cotalia"));
    QVERIFY(!about->iconPixmap().isNull());
    const QString text = about->text();
    for (const char* part :
         {"Cotalia 1.00", "Copyright © 2026 Cotalia developers", "GPL-3.0-or-later", "versión 3",
          "SIN NINGUNA GARANTÍA", "https://www.gnu.org/licenses/", "www.cotalia.example"}) {
      QVERIFY2(text.contains(QString::fromUtf8(part)), part);
    }
    QCOMPARE(about->buttons().size(), 1);
    QCOMPARE(about->buttons().front()->text(), QStringLiteral("Aceptar"));

    menuItem(QStringLiteral("&Acerca de Cotalia"))->trigger();
    QCOMPARE(window_->findChildren<QMessageBox*>().size(), 1);

    QTest::mouseClick(about->buttons().front(), Qt::LeftButton);
    QTRY_VERIFY(about.isNull());
  }

  // Whoever triggers the item (a screen reader over D-Bus among them) has it
  // back before the box is closed: a box that ran its own loop inside the
  // action would be found, and closed, while trigger() had not returned.
  void anAboutItemReturnsBeforeItsBoxIsClosed_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("title");
    QTest::newRow("Cotalia") << QStringLiteral("&Acerca de Cotalia") << QStringLiteral("Acerca de Cotalia");
    QTest::newRow("Qt") << QStringLiteral("Acerca de &Qt") << QStringLiteral("Acerca de Qt");
  }

  void anAboutItemReturnsBeforeItsBoxIsClosed() {
    QFETCH(QString, item);
    QFETCH(QString, title);
    bool returned = false;
    bool seen = false;
    bool seenAfterReturn = false;
    QTimer closer;
    closer.setInterval(10);
    connect(&closer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || box->windowTitle() != title || !box->isVisible()) return;
      closer.stop();
      seen = true;
      seenAfterReturn = returned;
      box->accept();
    });
    closer.start();
    menuItem(item)->trigger();
    returned = true;
    QTRY_VERIFY(seen);
    QVERIFY(seenAfterReturn);
    QTRY_VERIFY(window_->findChildren<QMessageBox*>().isEmpty());
  }

  // Opens from Ver (Ctrl+D), named for screen readers, plays the shared
  // scenario (every edit of the form's price or the window's boxes redraws
  // it, a bad input gives a message in place of the chart), never writes a
  // field, is one window however often it is asked for, and closes with Esc.
  void distributionWindowPlaysItsScenario() {
    cotalia::DistributionWindow* distribution = openDistribution();
    QCOMPARE(distribution->windowTitle(), QStringLiteral("Distribución del precio"));
    const int barHeight = distribution->findChild<QMenuBar*>()->height();
    QCOMPARE(distribution->size(),
             QSize(cotalia::kDistributionWindow.width, cotalia::kDistributionWindow.height + barHeight));
    for (const cotalia::WindowControl& row : cotalia::kDistributionControls) {
      QWidget* widget = distribution->findChild<QWidget*>(QStringOf(row.name));
      QVERIFY2(widget != nullptr, row.name.data());
      // Placed in the client area below the menu bar.
      const QWidget* body = widget->parentWidget();
      QCOMPARE(body->geometry(),
               QRect(0, barHeight, distribution->width(), distribution->height() - barHeight));
      const cotalia::Rectangle place = cotalia::RectangleOf(row.place, body->width(), body->height());
      QCOMPARE(widget->geometry(), QRect(place.left, place.top, place.width, place.height));
      if (!row.accessibleName.empty()) QCOMPARE(AnnouncedNameOf(widget), QStringOf(row.accessibleName));
    }
    // Tab from the level through the target and the price axis's buttons to
    // the figures, as the focus chain that the Tab key follows has them.
    QStringList stops;
    QWidget* stop = distribution->findChild<QLineEdit*>(QStringLiteral("level"));
    do {
      if (stop->focusPolicy() & Qt::TabFocus) stops << stop->objectName();
      stop = stop->nextInFocusChain();
    } while (stop != distribution->findChild<QLineEdit*>(QStringLiteral("level")) && stops.size() < 20);
    // Every box, choice button, chart and text in the table's order.
    QStringList inOrder;
    for (const cotalia::WindowControl& row : cotalia::kDistributionControls) {
      if (row.role == cotalia::ControlRole::Choice) {
        for (std::size_t i = 0; i < row.choices.size(); ++i)
          inOrder << QStringOf(row.name) + QString::number(i);
      } else if (row.role != cotalia::ControlRole::Label && row.role != cotalia::ControlRole::Note) {
        inOrder << QStringOf(row.name);
      }
    }
    QCOMPARE(stops.mid(0, inOrder.size()), inOrder);
    QVERIFY(inOrder.size() >= 6);
    auto* figures = distribution->findChild<QPlainTextEdit*>(QStringLiteral("figures"));
    auto* chart = distribution->findChild<QWidget*>(QStringLiteral("chart"));
    for (const scenarios::DistributionStep& step : scenarios::kDistributionSteps) {
      const QString text = QStringOf(step.text);
      switch (step.box) {
        case scenarios::DistributionStep::Box::Price:
          type("Text1", text);
          break;
        case scenarios::DistributionStep::Box::Level:
          distribution->findChild<QLineEdit*>(QStringLiteral("level"))->setText(text);
          break;
        case scenarios::DistributionStep::Box::Target:
          distribution->findChild<QLineEdit*>(QStringLiteral("target"))->setText(text);
          break;
      }
      QCOMPARE(figures->toPlainText(), QStringOf(step.figures));
      QCOMPARE(chart->accessibleDescription(), QStringOf(step.description));
    }
    for (int i = 5; i <= 10; ++i) QCOMPARE(textOf(QStringLiteral("Text%1").arg(i)), QStringLiteral(" "));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(window_->findChildren<QWidget*>(QStringLiteral("distribution")).size(), 1);
    QTest::keyClick(distribution->findChild<QLineEdit*>(QStringLiteral("target")), Qt::Key_Escape);
    QVERIFY(!distribution->isVisible());
  }

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

  // The range's boxes give the figures their row; a bad one names its box
  // there and leaves the chart drawn; the percentiles' box has its nine rows.
  void distributionRangeAndPercentiles() {
    cotalia::DistributionWindow* distribution = openDistribution();
    auto* lower = distribution->findChild<QLineEdit*>(QStringLiteral("lower"));
    auto* upper = distribution->findChild<QLineEdit*>(QStringLiteral("upper"));
    auto* figures = distribution->findChild<QPlainTextEdit*>(QStringLiteral("figures"));
    auto* chart = distribution->findChild<cotalia::ChartWidget*>(QStringLiteral("chart"));
    const struct {
      const char* lower;
      const char* upper;
      const char* lastLine;
    } rows[] = {{"90", "130", "Entre 90 y 130: 64.21 %"},
                {"90", "", "Por encima de 90: 82.30 %"},
                {"", "130", "Por debajo de 130: 81.91 %"},
                {"-5", "130", "Precio mínimo: escriba un número mayor que cero"},
                {"130", "90", "Precio máximo: escriba un número no menor que el precio mínimo"},
                {"", "", "Variacion esperada: 22.3263055970384"}};
    for (const auto& row : rows) {
      lower->setText(QString::fromUtf8(row.lower));
      upper->setText(QString::fromUtf8(row.upper));
      QCOMPARE(figures->toPlainText().split('\n').constLast(), QString::fromUtf8(row.lastLine));
      QVERIFY2(!chart->drawing().shapes.empty(), row.lastLine);
    }
    const QStringList percentiles =
        distribution->findChild<QPlainTextEdit*>(QStringLiteral("percentiles"))->toPlainText().split('\n');
    QCOMPARE(percentiles.size(), 9);
    QCOMPARE(percentiles.constFirst(), QStringLiteral("1 %: 68.0267228577013"));
    QCOMPARE(percentiles.at(4), QStringLiteral("50 %: 108.328706767496"));
    QCOMPARE(percentiles.constLast(), QStringLiteral("99 %: 172.507335602005"));
  }

  // The pointer over the chart and the arrow keys on it move the reading,
  // which the line under the chart shows (and tells screen readers) and a
  // thin line marks, as the view computes it: on the fan a month, at the
  // horizon the figures' own numbers; on the density a price. The pointer
  // leaving keeps it; another chart starts without one; Esc still closes.
  void distributionReadoutFollowsPointerAndKeys() {
    cotalia::DistributionWindow* distribution = openDistribution();
    auto* chart = distribution->findChild<cotalia::ChartWidget*>(QStringLiteral("chart"));
    // The pointer through the window system, as the platform moves it.
    const auto point = [distribution, chart](QPoint at) {
      QTest::mouseMove(distribution->windowHandle(), chart->mapTo(distribution, at));
    };
    auto* line = distribution->findChild<QLabel*>(QStringLiteral("readout"));
    QCOMPARE(line->text(), QStringOf(cotalia::kReadoutHint));
    const auto marker = [chart]() -> std::optional<double> {
      for (const cotalia::Shape& shape : chart->drawing().shapes) {
        if (shape.ink == cotalia::Ink::Reading && shape.points.size() == 2 &&
            shape.points[0].x == shape.points[1].x)
          return shape.points[0].x;
      }
      return std::nullopt;
    };
    QVERIFY(!marker());
    const auto expected = [&](bool density, double at) {
      return QStringOf(
          cotalia::ReadoutOf(distribution->view(), {false, density, at}, chart->area(), chart->textWidth())
              ->text);
    };
    const cotalia::PlotBox plot = chart->drawing().plot;
    const int middle = qRound((plot.top + plot.bottom) / 2);
    point(QPoint(qRound(plot.right), middle));
    const QString horizon = QStringLiteral(
        "Mes 12: banda 73.1981528228311 a 160.319738372657, mediana 108.328706767496, esperado "
        "110.517091807565");
    QCOMPARE(line->text(), horizon);
    QCOMPARE(line->accessibleDescription(), horizon);
    QCOMPARE(*marker(), plot.right);
    // Half-way along the year: month 6, marked there.
    point(QPoint(qRound((plot.left + plot.right) / 2), middle));
    QCOMPARE(line->text(), expected(false, 6));
    QVERIFY(line->text().startsWith(QStringLiteral("Mes 6: banda ")));
    QVERIFY(std::abs(*marker() - (plot.left + plot.right) / 2) < 1);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(chart, &leave);
    QCOMPARE(line->text(), expected(false, 6));

    // The chart is a Tab stop; the keys move a month at a time.
    chart->setFocus();
    QVERIFY(chart->hasFocus());
    const struct {
      Qt::Key key;
      double month;
    } keys[] = {{Qt::Key_Right, 7},  {Qt::Key_Right, 8}, {Qt::Key_Left, 7}, {Qt::Key_End, 12},
                {Qt::Key_Right, 12}, {Qt::Key_Home, 0},  {Qt::Key_Left, 0}, {Qt::Key_Right, 1}};
    for (const auto& k : keys) {
      QTest::keyClick(chart, k.key);
      QCOMPARE(line->text(), expected(false, k.month));
      // A screen reader on the chart hears the reading: its description
      // leads with it.
      QVERIFY(chart->accessibleDescription().startsWith(expected(false, k.month) + QStringLiteral(". ")));
    }
    QTest::keyClick(chart, Qt::Key_End);
    QCOMPARE(line->text(), horizon);
    // Another level redraws the reading where it stands.
    distribution->findChild<QLineEdit*>(QStringLiteral("level"))->setText(QStringLiteral("99"));
    QVERIFY(line->text().startsWith(QStringLiteral("Mes 12: banda 64.7157320203497 a 181.333168049895")));

    // The density: no reading until one is asked for, then prices.
    QTest::mouseClick(distribution->findChild<QRadioButton*>(QStringLiteral("chartKind1")), Qt::LeftButton);
    QCOMPARE(line->text(), QStringOf(cotalia::kReadoutHint));
    QVERIFY(!marker());
    chart->setFocus();
    QTest::keyClick(chart, Qt::Key_Right);
    QCOMPARE(line->text(),
             QStringLiteral("Precio 108.328706767496: probabilidad de acabar por debajo 50.00 %"));
    const cotalia::PlotBox densityPlot = chart->drawing().plot;
    const int x = qRound(densityPlot.left + 0.3 * (densityPlot.right - densityPlot.left));
    point(QPoint(x, middle));
    const std::optional<cotalia::ChartReading> reading = cotalia::ReadoutAt(
        distribution->view(), {false, true, std::nullopt}, chart->area(), chart->textWidth(), x);
    QCOMPARE(line->text(), QStringOf(reading->text));
    QVERIFY(std::abs(*marker() - x) <= 0.01 * (densityPlot.right - densityPlot.left));
    QTest::keyClick(chart, Qt::Key_Home);
    QCOMPARE(*marker(), densityPlot.left);

    QTest::keyClick(chart, Qt::Key_Escape);
    QVERIFY(!distribution->isVisible());
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
    const cotalia::Colour ink = cotalia::ColourOf(cotalia::Ink::Band);
    const double alpha = ink.alpha / 255.0;
    const auto isBand = [&](const QColor& pixel) {
      const auto near = [alpha](int over, int under, int got) {
        return std::abs(got - (over * alpha + under * (1 - alpha))) <= 3;
      };
      return near(ink.red, background.red(), pixel.red()) &&
             near(ink.green, background.green(), pixel.green()) &&
             near(ink.blue, background.blue(), pixel.blue());
    };
    // Inside the band, left of the median where no hatching is: its colour
    // half-way up to the curve. Left of the band, under the curve: not.
    const double bandLeft = band->points.front().x;
    int inside = 0;
    for (double x = bandLeft + 4; x < *median - 4; x += 3) {
      const double y = (plot.bottom + curveAt(x)) / 2;
      if (nearGrid(x) || plot.bottom - curveAt(x) < 12) continue;
      const QColor pixel = image.pixelColor(qRound(x), qRound(y));
      QVERIFY2(isBand(pixel),
               qPrintable(QStringLiteral("band at %1, %2 is %3").arg(x).arg(y).arg(pixel.name())));
      ++inside;
    }
    QVERIFY2(inside >= 5, qPrintable(QString::number(inside)));
    int outside = 0;
    for (double x = plot.left + 2; x < bandLeft - 4; x += 3) {
      const double y = (plot.bottom + curveAt(x)) / 2;
      if (nearGrid(x) || plot.bottom - curveAt(x) < 6) continue;
      QVERIFY2(!isBand(image.pixelColor(qRound(x), qRound(y))), qPrintable(QString::number(x)));
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
        // The target's red, not the expected price's orange (200, 110, 20).
        if (pixel.red() - pixel.green() > 50 && pixel.green() < 90 && pixel.red() - pixel.blue() > 40)
          ++count;
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
    // The button chose the axis: decades to 1000 on a logarithmic one, the
    // band's 19.7 to 433 in hundreds on a linear one.
    const bool decades = std::any_of(drawing.labels.begin(), drawing.labels.end(),
                                     [](const cotalia::Label& label) { return label.text == "1000"; });
    QCOMPARE(decades, logarithmic);
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
      QVERIFY2(pixel.red() > 150 && pixel.green() < 90 && pixel.blue() < 100, qPrintable(pixel.name()));
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

  // A result cut off by its box can be read whole in its tooltip.
  // Prices pasted, opened through the dialog and dropped on the form all
  // reach the one estimation window, which shows what the view gives.
  void estimationWindowReadsPastedOpenedAndDroppedPrices() {
    const std::string pasted =
        "Date\tClose\n2024-01-02\t100\n2024-01-03\t101.5\n2024-01-04\t99\n2024-01-05\t102\n";
    QApplication::clipboard()->setText(QStringOf(pasted));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    cotalia::EstimationWindow* estimation = estimationWindow();
    QVERIFY(estimation != nullptr && estimation->isVisible());
    QCOMPARE(estimation->windowTitle(), QStringLiteral("Estimación desde precios"));
    QCOMPARE(estimationFigures(estimation),
             QStringOf(cotalia::FiguresText(expectedView(pasted).figures, "\n")));
    auto* list = estimation->findChild<QListWidget*>(QStringLiteral("column"));
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(AnnouncedNameOf(list), QStringLiteral("Columna de precios"));
    QCOMPARE(AnnouncedNameOf(estimation->findChild<QLineEdit*>(QStringLiteral("periods"))),
             QStringLiteral("Periodos por año"));
    auto* history = estimation->findChild<cotalia::ChartWidget*>(QStringLiteral("historyChart"));
    QCOMPARE(history->accessibleDescription(), QStringOf(expectedView(pasted).historyDescription));

    QTemporaryDir folder;
    const std::string file = "Fecha;Cierre\r\n15/01/2024;824,57\r\n16/01/2024;830,1\r\n17/01/2024;828\r\n";
    const QString path = folder.filePath(QStringLiteral("cierres ñ.csv"));
    {
      QFile out(path);
      QVERIFY(out.open(QIODevice::WriteOnly));
      out.write(file.data(), static_cast<qint64>(file.size()));
    }
    menuItem(QStringLiteral("&Abrir precios…"))->trigger();
    // The dialog is open, and the menu's action has already returned.
    auto* dialog = window_->findChild<QFileDialog*>();
    QVERIFY(dialog != nullptr && dialog->isVisible());
    QCOMPARE(dialog->nameFilters(),
             (QStringList{QStringLiteral("Precios (.csv, .txt, .tsv) (*.csv *.txt *.tsv)"),
                          QStringLiteral("Todos los archivos (*)")}));
    dialog->selectFile(path);
    QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    estimation = estimationWindow();
    QVERIFY(estimationFigures(estimation).contains(QStringLiteral("Origen: cierres ñ.csv")));
    QVERIFY(estimationFigures(estimation).contains(QStringLiteral("Valor Actual: 828")));

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    for (QWidget* target : {static_cast<QWidget*>(window_.get()), static_cast<QWidget*>(estimation)}) {
      QApplication::clipboard()->setText(QStringOf(pasted));
      menuItem(QStringLiteral("&Pegar precios"))->trigger();
      QVERIFY(estimationFigures(estimationWindow()).contains(QStringLiteral("Origen: Portapapeles")));
      QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &enter);
      QVERIFY(enter.isAccepted());
      QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &drop);
      QVERIFY2(estimationFigures(estimationWindow()).contains(QStringLiteral("Origen: cierres ñ.csv")),
               qPrintable(target->objectName()));
    }
    QCOMPARE(window_->findChildren<cotalia::EstimationWindow*>().size(), 1);
  }

  // Another column and other periods a year give the view's figures for
  // them; "Usar en el formulario" then writes Text1 to Text3 and no other
  // field; Esc closes the window.
  void estimationWindowChoicesAndUsarEnElFormulario() {
    for (std::size_t i = 0; i < scenarios::kDistributionInputs.size(); ++i) {
      type(QStringLiteral("Text%1").arg(i + 1), QStringOf(scenarios::kDistributionInputs[i]));
    }
    for (int button = 1; button <= 6; ++button) click(QStringLiteral("Command%1").arg(button));
    QStringList before;
    for (int field = 1; field <= 10; ++field) before << textOf(QStringLiteral("Text%1").arg(field));

    const std::string pasted =
        "Date,Open,High,Low,Close,Adj Close,Volume\n2024-01-02,10,11,9,10.5,10.4,100\n"
        "2024-01-03,10.5,11,10,10.8,10.7,120\n2024-01-04,10.8,11.2,10.1,10.2,10.1,90\n"
        "2024-01-05,10.2,10.9,10,10.6,10.55,80\n";
    QApplication::clipboard()->setText(QStringOf(pasted));
    menuItem(QStringLiteral("&Pegar precios"))->trigger();
    cotalia::EstimationWindow* estimation = estimationWindow();
    auto* list = estimation->findChild<QListWidget*>(QStringLiteral("column"));
    QCOMPARE(list->currentItem()->text(), QStringLiteral("Adj Close"));
    list->setCurrentRow(4);
    estimation = estimationWindow();
    QTRY_COMPARE(estimationFigures(estimation),
                 QStringOf(cotalia::FiguresText(expectedView(pasted, 4).figures, "\n")));
    auto* periods = estimation->findChild<QLineEdit*>(QStringLiteral("periods"));
    QCOMPARE(periods->text(), QStringLiteral("252"));
    periods->setText(QStringLiteral("52"));
    const cotalia::EstimationView weekly = expectedView(pasted, 4, "52");
    QCOMPARE(estimationFigures(estimation), QStringOf(cotalia::FiguresText(weekly.figures, "\n")));

    auto* use = estimation->findChild<QPushButton*>(QStringLiteral("useInForm"));
    periods->setText(QStringLiteral("0"));
    QVERIFY(!use->isEnabled());
    auto* chart = estimation->findChild<cotalia::ChartWidget*>(QStringLiteral("returnsChart"));
    QCOMPARE(chart->accessibleDescription(),
             QStringLiteral("Periodos por año: escriba un número mayor que cero."));
    periods->setText(QStringLiteral("52"));
    QTest::mouseClick(use, Qt::LeftButton);
    QStringList after;
    for (int field = 1; field <= 10; ++field) after << textOf(QStringLiteral("Text%1").arg(field));
    QStringList expected = before;
    expected[0] = QStringOf(weekly.formInputs->price);
    expected[1] = QStringOf(weekly.formInputs->rate);
    expected[2] = QStringOf(weekly.formInputs->volatility);
    QCOMPARE(after, expected);

    QTest::keyClick(periods, Qt::Key_Escape);
    QVERIFY(!estimation->isVisible());
  }

  void aCutOffTextHasItsWholeTextAsTooltip() {
    type("Text9", "4.68517018598809");
    type("Text10", "0.2");
    click("Command3");
    QCOMPARE(control("Text5")->toolTip(), QStringLiteral("73.1981528228311"));
    QCOMPARE(control("Text10")->toolTip(), QString());
    type("Text5", "1");
    QCOMPARE(control("Text5")->toolTip(), QString());
  }

  void controlMatchesItsDescription_data() {
    QTest::addColumn<const WindowControl*>("description");
    for (const WindowControl& c : kControls) {
      QTest::newRow(std::string(c.name).c_str()) << &c;
    }
  }

  void controlMatchesItsDescription() {
    QFETCH(const WindowControl*, description);
    QWidget* widget = control(QStringOf(description->name));
    QCOMPARE(widget->geometry(), PixelRectOf(*description));
    QVERIFY(widget->isVisible());
    const QString caption = QStringOf(description->caption);
    switch (description->role) {
      case ControlRole::CentredLabel: {
        auto* label = qobject_cast<QLabel*>(widget);
        QVERIFY(label != nullptr);
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        QVERIFY(label->wordWrap());
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        break;
      }
      case ControlRole::TextBox: {
        auto* edit = qobject_cast<QLineEdit*>(widget);
        QVERIFY(edit != nullptr);
        QCOMPARE(edit->text(), QStringLiteral(" "));
        QVERIFY(!edit->isReadOnly());
        QCOMPARE(edit->maxLength(), std::numeric_limits<int>::max());
        break;
      }
      case ControlRole::Button:
        QVERIFY(qobject_cast<QPushButton*>(widget) != nullptr);
        QCOMPARE(qobject_cast<QPushButton*>(widget)->text(), caption);
        QCOMPARE(AnnouncedNameOf(widget), caption);
        break;
      default:
        QFAIL("a role the form has no control of");
    }
  }

  void textBoxesAreNamedByTheirLabels() {
    const QStringList names = {"Valor Actual",  "Rendimiento",   "Volatilidad",     "Tiempo",
                               "Precio Minimo", "Precio Maximo", "Precio Esperado", "Variacion esperada",
                               "Media Dn",      "Volatilidad Dn"};
    for (int i = 0; i < names.size(); ++i) {
      QCOMPARE(AnnouncedNameOf(control(QStringLiteral("Text%1").arg(i + 1))), names[i]);
    }
  }

  void tabVisitsTheControlsInOrder() {
    const QStringList forward = {"Text2",    "Text3",    "Text4",    "Text5",    "Text6",    "Text7",
                                 "Text8",    "Command1", "Command2", "Command3", "Command4", "Command5",
                                 "Command6", "Text9",    "Text10",   "Command7", "Text1"};
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Text1"));
    for (const QString& expected : forward) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), expected);
    }
    for (auto it = forward.rbegin() + 1; it != forward.rend(); ++it) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
      QCOMPARE(QApplication::focusWidget()->objectName(), *it);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Text1"));
  }

  void buttonsComputeTheWorkedExamples_data() {
    QTest::addColumn<const WorkedExample*>("example");
    for (const WorkedExample& example : scenarios::kWorkedExamples) {
      QTest::newRow(std::string(example.name).c_str()) << &example;
    }
  }

  void buttonsComputeTheWorkedExamples() {
    QFETCH(const WorkedExample*, example);
    for (std::size_t i = 0; i < example->inputs.size(); ++i) {
      type(QStringLiteral("Text%1").arg(i + 1), QStringOf(example->inputs[i]));
    }
    for (std::size_t i = 0; i < scenarios::kCalculations.size(); ++i) {
      const scenarios::Calculation& calculation = scenarios::kCalculations[i];
      click(QStringOf(scenarios::ButtonOf(calculation.action)));
      const QString box = QStringOf(scenarios::BoxOf(calculation.result));
      QCOMPARE(textOf(box), QStringOf(example->results[i]));
      QCOMPARE(control<QLineEdit>(box)->cursorPosition(), 0);  // the leading digits are in view
    }
  }

  void borrarEmptiesEveryField() {
    type("Text1", "100");
    click("Command2");
    QCOMPARE(textOf("Text10"), QStringLiteral("0"));
    click("Command7");
    for (int i = 1; i <= 10; ++i) QCOMPARE(textOf(QStringLiteral("Text%1").arg(i)), QString());
  }

  void aLongTextIsKeptWhole() {
    const QString longText = QString(100000 - 3, '0') + "100";
    QApplication::clipboard()->setText(longText);
    QLineEdit* price = control<QLineEdit>("Text1");
    QTest::mouseClick(price, Qt::LeftButton);
    QTest::keyClick(price, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(price, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(price->text(), longText);
    type("Text2", "10");
    type("Text4", "12");
    click("Command5");
    QCOMPARE(textOf("Text7"), QStringLiteral("110.517091807565"));
  }

  void closingEndsTheProgramWithSuccess() {
    QTimer::singleShot(0, window_.get(), [this] { window_->close(); });
    QCOMPARE(QApplication::exec(), 0);
  }

  void salirEndsTheProgramWithSuccess() {
    QTimer::singleShot(0, window_.get(),
                       [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::ControlModifier); });
    QCOMPARE(QApplication::exec(), 0);
  }

  void aFailedActionIsReportedAndEndsTheProgram_data() {
    QTest::addColumn<const Failure*>("failure");
    for (const Failure& failure : scenarios::kFailures)
      QTest::newRow(std::string(failure.name).c_str()) << &failure;
  }

  void aFailedActionIsReportedAndEndsTheProgram() {
    QFETCH(const Failure*, failure);
    for (const auto& [typedField, text] : failure->typed) {
      type(QStringOf(scenarios::BoxOf(typedField)), QStringOf(text));
    }
    const QString field = QStringOf(scenarios::BoxOf(failure->result));
    const QString button = QStringOf(scenarios::ButtonOf(failure->action));
    const int code = failure->code;
    const QString before = textOf(field);

    QString reportText;
    QString reportTitle;
    QString fieldDuringReport;
    QTimer dismisser;
    dismisser.setInterval(10);
    connect(&dismisser, &QTimer::timeout, [&] {
      auto* report = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (report == nullptr) return;
      dismisser.stop();
      reportText = report->text();
      reportTitle = report->windowTitle();
      fieldDuringReport = textOf(field);
      QCOMPARE(report->buttons().size(), 1);
      QCOMPARE(report->buttons().front()->text(), QStringLiteral("Aceptar"));
      QTest::mouseClick(report->buttons().front(), Qt::LeftButton);
    });
    dismisser.start();
    QTimer::singleShot(0, window_.get(), [&] { click(button); });
    QCOMPARE(QApplication::exec(), cotalia::kFailedExitStatus);

    QVERIFY2(reportText.contains(QStringLiteral("'%1'").arg(code)), qPrintable(reportText));
    QVERIFY(reportText.contains(QStringOf(cotalia::DescriptionOfCode(code))));
    QCOMPARE(reportTitle, QApplication::applicationName());
    QCOMPARE(fieldDuringReport, before);
    QCOMPARE(textOf(field), before);

    // The program is ending: a later click on "Borrar" clears nothing.
    click("Command7");
    QVERIFY(!textOf("Text1").isEmpty());
  }
};

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Cotalia"));
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
