#include "ConsultaWindowTest.h"

#include "Consulta.h"
#include "ConsultaModel.h"
#include "ConsultaRules.h"
#include "FeeDocument.h"
#include "IniFile.h"
#include "InvoiceFixture.h"
#include "MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QToolBar>
#include <QtTest>

namespace {

void showAndWait(Consulta& window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

QPoint cellCentre(QTableView* grid, int row, int column)
{
    return grid->visualRect(grid->model()->index(row, column)).center();
}

void wheel(QWidget* target, int amount)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, amount), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

} // namespace

void ConsultaWindowTest::init()
{
    MessageBox::resetForTest();
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
}

void ConsultaWindowTest::cleanup()
{
    m_data.tearDown();
}

void ConsultaWindowTest::yearAndClientLists()
{
    {
        Consulta empty(m_data.context(), {});
        QCOMPARE(empty.model()->rowCount(), 1); // one empty row
        QCOMPARE(empty.model()->cell(0, 0), QString());
        QCOMPARE(empty.totalText(), QStringLiteral("Totale = 0,00"));
    }
    Database& db = m_data.context().DbArchivi;
    QVERIFY(addClient(db, "C1", "Rossi"));
    QVERIFY(addClient(db, "C2", "Verdi"));
    QVERIFY(addInvoice(db, {2023, 5, 2}, 1, "C1", 10000));
    QVERIFY(addInvoice(db, {2023, 6, 2}, 2, "C2", 20000));
    QVERIFY(addInvoice(db, {2024, 1, 9}, 1, "C2", 123456));

    Consulta window(m_data.context(), {});
    showAndWait(window);
    QComboBox* anno = window.Anno();
    QComboBox* cliente = window.Cliente();
    // The latest year, its invoices and its clients.
    QCOMPARE(anno->currentText(), QStringLiteral("2024"));
    QCOMPARE(window.model()->recordCount(), 1);
    QCOMPARE(window.totalText(), QStringLiteral("Totale = 1.234,56"));

    QCOMPARE(cliente->count(), 2);

    // The empty year: every invoice and every client.
    anno->setFocus();
    QTest::keyClick(anno, Qt::Key_Home);
    QCOMPARE(anno->currentText(), QString());
    QCOMPARE(window.model()->recordCount(), 3);
    QCOMPARE(cliente->count(), 3);
    QCOMPARE(window.totalText(), QStringLiteral("Totale = 1.534,56"));

    // A client with no year filters on the client alone.
    cliente->setFocus();
    QTest::keyClick(cliente, Qt::Key_End);
    QCOMPARE(cliente->currentText(), QStringLiteral("C2         - Verdi"));
    QCOMPARE(window.model()->recordCount(), 2);

    // A year refills the clients and drops the chosen one; the grid follows the
    // lists as shown.
    anno->setFocus();
    QTest::keyClick(anno, Qt::Key_Down);
    QCOMPARE(anno->currentText(), QStringLiteral("2023"));
    QCOMPARE(cliente->currentIndex(), 0);
    QCOMPARE(cliente->count(), 3);
    QCOMPARE(window.model()->recordCount(), 2);
    QCOMPARE(window.model()->cell(1, 3), QStringLiteral("C2"));

    // Choosing a year, then another, then the first again always re-runs the query.
    QTest::keyClick(anno, Qt::Key_Down);
    QTest::keyClick(anno, Qt::Key_Up);
    QCOMPARE(window.model()->recordCount(), 2);

    // A closed list under the wheel keeps its choice.
    wheel(anno, 120);
    QCOMPARE(anno->currentText(), QStringLiteral("2023"));
}

void ConsultaWindowTest::opensScrolledToTheLastAndWheelScrolls()
{
    for (int n = 1; n <= 60; ++n)
        QVERIFY(
            addInvoice(m_data.context().DbArchivi, QDate(2024, 1, 1).addDays(n), n, "C1", 100 * n));
    Consulta window(m_data.context(), {});
    showAndWait(window);
    QTableView* grid = window.Richieste();
    QCOMPARE(grid->currentIndex().row(), 59);
    QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));
    QCOMPARE(grid->verticalScrollBar()->value(), grid->verticalScrollBar()->maximum());
    QCOMPARE(grid->horizontalScrollBar()->value(), 0); // the number column shows

    const int top = grid->verticalScrollBar()->value();
    wheel(grid->viewport(), 120);
    QCOMPARE(grid->verticalScrollBar()->value(), top - 3);
    wheel(grid->viewport(), 60); // half a notch waits for the other half
    QCOMPARE(grid->verticalScrollBar()->value(), top - 3);
    wheel(grid->viewport(), 60);
    wheel(grid->viewport(), -120);
    QCOMPARE(grid->verticalScrollBar()->value(), top - 3);
}

void ConsultaWindowTest::doubleClickNewAndRefresh()
{
    Database& db = m_data.context().DbArchivi;
    QVERIFY(addInvoice(db, {2024, 3, 15}, 7, "C1", 10000));
    QVERIFY(addInvoice(db, {2024, 4, 1}, 8, "C1", 10000));
    QStringList opened;
    Consulta window(m_data.context(), [&](const QString& date, const QString& number) {
        opened << date + "|" + number;
        if (opened.size() == 1)
            addInvoice(db, {2025, 1, 2}, 1, "C9", 5000); // what the invoice window saved
    });
    showAndWait(window);
    QTableView* grid = window.Richieste();
    // A real double click: a click, then the second press as a double click.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(grid, 0, 4));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(grid, 0, 4));
    QCOMPARE(opened, QStringList{"15/03/2024|7"});
    // The new year and client are listed, the chosen year kept.
    QCOMPARE(window.Anno()->count(), 3);
    QCOMPARE(window.Anno()->currentText(), QStringLiteral("2024"));

    auto* nuovo = window.findChild<QToolBar*>("Toolbar1")->widgetForAction(window.Nuovo());
    QTest::mouseClick(nuovo, Qt::LeftButton);
    QCOMPARE(opened.last(), QStringLiteral("|"));

    // Enter on a row opens it too; F5 and Enter in "Dest.merce" re-run the query.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(opened.last(), QStringLiteral("01/04/2024|8"));
    QVERIFY(addInvoice(db, {2024, 5, 1}, 9, "C1", 10000));
    // The electronic invoice written meanwhile shows in the last column.
    QString error;
    QVERIFY(FeeDocuments(db, FeeDocumentKind::Invoice)
                .setXmlWritten(*DocumentKey::of(QDate(2024, 1, 1), 7),
                               QDateTime(QDate(2026, 12, 7), QTime(11, 58)), &error));
    QTest::keyClick(grid, Qt::Key_F5);
    QCOMPARE(window.model()->recordCount(), 3);
    QCOMPARE(window.model()->cell(0, consulta::kXmlColumn), QStringLiteral("07/12/2026 11:58"));
    QCOMPARE(window.model()->cell(1, consulta::kXmlColumn), QString());
    QVERIFY(addInvoice(db, {2024, 6, 1}, 10, "C1", 10000));
    QTest::keyClick(window.Dati(), Qt::Key_Return);
    QCOMPARE(window.model()->recordCount(), 4);
    QCOMPARE(window.totalText(), QStringLiteral("Totale = 400,00"));
}

// "Nuovo" is on the Tab chain after the grid, and answers to Alt+N.
void ConsultaWindowTest::newInvoiceFromTheKeyboard()
{
    QVERIFY(addInvoice(m_data.context().DbArchivi, {2024, 3, 15}, 7, "C1", 10000));
    int opened = 0;
    Consulta window(m_data.context(), [&opened](const QString& date, const QString&) {
        opened += date.isEmpty() ? 1 : 100;
    });
    showAndWait(window);
    auto* nuovo = window.findChild<QToolBar*>("Toolbar1")->widgetForAction(window.Nuovo());
    QCOMPARE(QApplication::focusWidget(), window.Anno());
    const QList<QWidget*> chain{
        window.Cliente(), window.Documento(), window.Dati(), window.Richieste(), nuovo,
        window.Anno()};
    for (QWidget* next : chain) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    QTest::keyClick(window.Anno(), Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), nuovo);
    QTest::keyClick(nuovo, Qt::Key_Space);
    QCOMPARE(opened, 1);
    QTest::keyClick(window.Dati(), Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(opened, 2);
}

void ConsultaWindowTest::widthsAndTypeSurviveReopening()
{
    int width = 0;
    {
        Consulta window(m_data.context(), {});
        showAndWait(window);
        QHeaderView* header = window.Richieste()->horizontalHeader();
        width = header->sectionSize(4) + 47;
        header->resizeSection(4, width);
        QTest::keyClick(window.Dati(), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }
    for (int c = 0; c < 16; ++c)
        QVERIFY(LeggiIni("Consulta", QStringLiteral("Richieste%1").arg(c),
                         m_data.context().settingsFile()));
    QCOMPARE(LeggiIni("Consulta", "Tipo", m_data.context().settingsFile()).value_or(""),
             QStringLiteral("0"));

    Consulta window(m_data.context(), {});
    QCOMPARE(window.Richieste()->columnWidth(4), width);
    QCOMPARE(window.Documento()->currentText(), QStringLiteral("Fattura"));
}
