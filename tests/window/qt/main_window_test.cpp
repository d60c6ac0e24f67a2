// SPDX-License-Identifier: GPL-3.0-or-later
// The form on Qt: its caption and size, its controls as the table places
// them, its menu bar and shortcuts, the copy of its results, the About
// boxes, the worked examples, and a failed action's report.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <limits>
#include <string>

#include "tests/window/qt/qt_test_support.h"
#include "tests/window/window_scenarios.h"
#include "window/form/window_description.h"

using cotalia::ControlRole;
using cotalia::kControls;
using cotalia::WindowControl;
using cotalia::scenarios::Failure;
using cotalia::scenarios::WorkedExample;

Q_DECLARE_METATYPE(const WindowControl*)
Q_DECLARE_METATYPE(const WorkedExample*)
Q_DECLARE_METATYPE(const Failure*)

class MainWindowTest : public QtWindowTest {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(openForm()); }
  void cleanup() { closeForm(); }

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

  // A result cut off by its box can be read whole in its tooltip.
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

  // Enter presses the button that has the focus, as Space does.
  void enterPressesTheFocusedButton() {
    type("Text1", "100");
    auto* button = control<QPushButton>("Command2");
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    QCOMPARE(textOf("Text10"), QStringLiteral("0"));
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

int RunMainWindowTests(int argc, char** argv) {
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
