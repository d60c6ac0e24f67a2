// SPDX-License-Identifier: GPL-3.0-or-later
// The estimation window on Qt: prices pasted, opened and dropped, its
// choices, and "Usar en el formulario".
#include "window/qt/estimation_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <string>

#include "tests/window/qt/qt_test_support.h"
#include "tests/window/window_scenarios.h"
#include "window/qt/distribution_window.h"

class EstimationWindowTest : public QtWindowTest {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(openForm()); }
  void cleanup() { closeForm(); }

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
    QCOMPARE(list->count(), 1);  // the dates are no prices
    QCOMPARE(list->currentRow(), 0);
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
    // Qt's own dialog speaks Spanish: the program loads Qt's translations.
    QStringList buttons;
    for (const QPushButton* button : dialog->findChildren<QPushButton*>()) buttons << button->text();
    QVERIFY2(buttons.contains(QStringLiteral("&Abrir")) && buttons.contains(QStringLiteral("Cancelar")),
             qPrintable(buttons.join(QLatin1Char('|'))));
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

    // The window's own menu opens, pastes and closes as the form's does.
    const auto own = [estimation](const QString& text) {
      for (QAction* item : estimation->findChildren<QAction*>()) {
        if (item->text() == text) return item;
      }
      qFatal("no item %s in the estimation window's menu", qPrintable(text));
    };
    QApplication::clipboard()->setText(QStringOf(pasted));
    own(QStringLiteral("&Pegar precios"))->trigger();
    QVERIFY(estimationFigures(estimationWindow()).contains(QStringLiteral("Origen: Portapapeles")));
    own(QStringLiteral("&Abrir precios…"))->trigger();
    auto* ownDialog = estimation->findChild<QFileDialog*>();
    QVERIFY(ownDialog != nullptr && ownDialog->isVisible());
    ownDialog->selectFile(path);
    QMetaObject::invokeMethod(ownDialog, "accept", Qt::DirectConnection);
    QVERIFY(estimationFigures(estimationWindow()).contains(QStringLiteral("Origen: cierres ñ.csv")));
    QCOMPARE(own(QStringLiteral("&Cerrar"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+W")));
    own(QStringLiteral("&Cerrar"))->trigger();
    QVERIFY(!estimation->isVisible());
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
    list->setCurrentRow(3);  // Close, the dates being no prices
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
};

int RunEstimationWindowTests(int argc, char** argv) {
  EstimationWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "estimation_window_test.moc"
