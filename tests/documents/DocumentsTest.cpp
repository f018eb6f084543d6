#include "DocumentsTest.h"

#include "Clock.h"
#include "DocumentAmounts.h"
#include "FArcFAT.h"
#include "FakeFields.h"
#include "FArcMOV.h"
#include "FParcella.h"
#include "FeeDocumentWindow.h"
#include "MessageBox.h"
#include "ModalHelper.h"
#include "PageEngine.h"
#include "frmPreview.h"
#include "Recordset.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

QLineEdit* line(QWidget* window, int index)
{
    return window->findChild<QLineEdit*>(QStringLiteral("Dati%1").arg(index));
}

// Types into a field and leaves it with Tab, as the user does.
void enter(QWidget* window, int index, const QString& text)
{
    QLineEdit* field = line(window, index);
    field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Tab);
}

void addInvoice(Recordset& rs, const QDate& date, int number)
{
    rs.AddNew();
    rs.setValue(0, date.toString("yyyy") + QString::number(number).rightJustified(10));
    rs.setValue(1, date);
    rs.setValue(2, number);
    QVERIFY(rs.Update());
}

void addClient(AppContext& context)
{
    QString error;
    auto clients = Recordset::OpenTable(context.DbArchivi, "Clienti", &error);
    clients->AddNew();
    clients->setValue(0, "R1");
    clients->setValue(1, "R1");
    clients->setValue(2, "Rossi Mario");
    QVERIFY(clients->Update());
}

} // namespace

void DocumentsTest::init()
{
    Messaggio::resetForTest();
    Clock::setToday(QDate(2026, 12, 6));
    m_dir = std::make_unique<QTemporaryDir>();
    m_context = std::make_unique<AppContext>();
    m_context->programFolder = m_dir->path();
    QString error;
    QVERIFY2(m_context->DbArchivi.open(m_context->databaseFile(), &error), qPrintable(error));
    AppContext::setCurrent(m_context.get());
}

void DocumentsTest::cleanup()
{
    AppContext::setCurrent(nullptr);
    m_context.reset();
    m_dir.reset();
    Clock::setToday({});
}

void DocumentsTest::writeSettings(const QByteArray& content)
{
    QFile f(m_context->settingsFile());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

void DocumentsTest::amountWriting_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two decimals, 13 wide") << 228.8 << "       228.80";
    QTest::newRow("half away from zero") << 1.15 * 50 / 100 << "         0.58";
    QTest::newRow("unrounded contribution") << 13.3332 << "        13.33";
    QTest::newRow("vat") << 76.265904 << "        76.27";
    QTest::newRow("negative half") << -0.005 << "        -0.01";
    QTest::newRow("carry") << 9.999 << "        10.00";
    QTest::newRow("zero") << 0.0 << "         0.00";
    QTest::newRow("tiny") << 1e-7 << "         0.00";
    QTest::newRow("too wide is kept whole") << 12345678901.0 << "12345678901.00";
}

void DocumentsTest::amountWriting()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(::amountWriting(value), expected);
}

void DocumentsTest::feeComputation()
{
    auto compute = [](bool geometra, bool invoice, QStringList inputs) {
        FakeFields f(feeDocumentFields(invoice));
        const int indexes[] = {5, 6, 7, 8, 14, 15};
        for (int i = 0; i < inputs.size(); ++i)
            f.setText(indexes[i], inputs[i]);
        QString total;
        CalcolaImporti(f, 5, invoice, geometra, &total);
        return QStringList{f.text(11).trimmed(), f.text(12).trimmed(), f.text(13).trimmed(), total.trimmed()};
    };
    // fee, VAT rate, contribution rate, withholding rate, expenses, stamp
    QCOMPARE(compute(true, true, {"1000", "22", "4", "20"}), (QStringList{"228.80", "40.00", "200.00", "1068.80"}));
    QCOMPARE(compute(false, true, {"1000", "22", "4", "20"}), (QStringList{"228.80", "40.00", "208.00", "1060.80"}));
    QCOMPARE(compute(false, false, {"1 000.00", "22", "4", "20"}),
             (QStringList{"228.80", "40.00", "208.00", "1060.80"}));
    QCOMPARE(compute(false, true, {"1000", "22", "4", "20", "50", "2"}),
             (QStringList{"228.80", "40.00", "208.00", "1112.80"}));
    QCOMPARE(compute(false, true, {"333.33", "22", "4"}).mid(0, 2), (QStringList{"76.27", "13.33"}));
    QCOMPARE(compute(true, true, {"1.15", "", "", "50"}).at(2), QStringLiteral("0.58"));
    QCOMPARE(compute(false, true, {"1000", "22", "122"}).at(3), QString()); // nothing to total
    QCOMPARE(compute(false, true, {"0", "22", "4", "20"}), (QStringList{"", "", "", ""}));
    QCOMPARE(compute(false, true, {"abc", "22"}), (QStringList{"", "", "", ""}));

    // Leaving a field other than the fee or a rate only totals.
    FakeFields f(feeDocumentFields(true));
    f.setText(5, "1000");
    f.setText(6, "22");
    f.setText(12, "250");
    QString total;
    CalcolaImporti(f, 12, true, false, &total);
    QCOMPARE(f.text(11), QString());
    QCOMPARE(total.trimmed(), QStringLiteral("1250.00"));

    // The clearing rule.
    f.setText(11, "1");
    f.setText(13, "3");
    svuotaImportiDerivati(f, 7);
    QCOMPARE(f.text(12), QString());
    QCOMPARE(f.text(11), QStringLiteral("1"));
    svuotaImportiDerivati(f, 5);
    QCOMPARE(f.text(11) + f.text(13), QString());
}

void DocumentsTest::purchaseDisplays()
{
    FakeFields f(FArcMOV::fields());
    f.setText(4, "100");
    f.setText(5, "22");
    f.setText(6, "0.5");
    PurchaseDisplays shown;
    QVERIFY(CalcolaImportiAcquisto(f, 6, &shown));
    QCOMPARE(shown.taxable, QStringLiteral("100.00"));
    QCOMPARE(shown.vat, QStringLiteral("22.00"));
    QCOMPARE(shown.deductible, QStringLiteral("50.00"));
    f.setText(6, "50"); // a multiplier, not a percent
    QVERIFY(CalcolaImportiAcquisto(f, 6, &shown));
    QCOMPARE(shown.deductible, QStringLiteral("5 000.00"));
    f.setText(4, "");
    QVERIFY(CalcolaImportiAcquisto(f, 4, &shown));
    QCOMPARE(shown.taxable + shown.vat + shown.deductible, QString());
    QVERIFY(!CalcolaImportiAcquisto(f, 8, &shown)); // the exempt amount changes nothing
}

void DocumentsTest::proposedNumbers()
{
    QString error;
    auto invoices = Recordset::OpenTable(m_context->DbArchivi, "Fatture", &error);
    const QDate today(2026, 12, 6);
    QCOMPARE(numeroProposto(*invoices, false, today), QStringLiteral("1"));
    addInvoice(*invoices, QDate(2025, 12, 30), 57);
    addInvoice(*invoices, QDate(2025, 1, 2), 9);
    QCOMPARE(numeroProposto(*invoices, false, today), QStringLiteral("58")); // no restart

    auto purchases = Recordset::OpenTable(m_context->DbArchivi, "Movimenti", &error);
    addInvoice(*purchases, QDate(2025, 11, 3), 40);
    QCOMPARE(numeroProposto(*purchases, true, today), QStringLiteral("1")); // a new year
    addInvoice(*purchases, QDate(2026, 2, 1), 12);
    QCOMPARE(numeroProposto(*purchases, true, today), QStringLiteral("13"));
}

void DocumentsTest::proposedNumbersNeverNameAStoredDocument_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QList<QDate>>("dates");
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QString>("expected");

    const QDate jan26(2026, 1, 10), jun26(2026, 6, 1), jan27(2027, 1, 5), jan25(2025, 1, 5);
    // The last in key order is 2027/1: its successor 2 is taken in 2026.
    QTest::newRow("invoice after a later year")
        << "Fatture" << QList<QDate>{jan26, jun26, jan27} << QList<int>{1, 2, 1} << "3";
    QTest::newRow("pro-forma after a later year")
        << "Parcelle" << QList<QDate>{jan26, jun26, jan27} << QList<int>{1, 2, 1} << "3";
    // 2026 has 1, 2 and 999: the next after the highest, whatever the gaps.
    QTest::newRow("highest of the year") << "Fatture" << QList<QDate>{jan26, jun26, jun26, jan27}
                                         << QList<int>{1, 2, 999, 1} << "1000";
    QTest::newRow("four and five digits") << "Fatture" << QList<QDate>{jun26, jun26, jan27}
                                          << QList<int>{1000, 12345, 999} << "12346";
    // The number the rule gives is free in 2026: it stays.
    QTest::newRow("free number kept")
        << "Fatture" << QList<QDate>{jan26, jan27} << QList<int>{1, 1} << "2";
    QTest::newRow("previous year's successor")
        << "Fatture" << QList<QDate>{jan25, jan26} << QList<int>{57, 3} << "4";
    // Purchases restart at 1 in a new year, unless 1 is taken this year.
    QTest::newRow("purchase after a later year")
        << "Movimenti" << QList<QDate>{jan26, jun26, jan27} << QList<int>{1, 2, 1} << "3";
    QTest::newRow("purchase restart free")
        << "Movimenti" << QList<QDate>{jan25, jan27} << QList<int>{40, 6} << "1";
}

void DocumentsTest::proposedNumbersNeverNameAStoredDocument()
{
    QFETCH(QString, table);
    QFETCH(QList<QDate>, dates);
    QFETCH(QList<int>, numbers);
    QFETCH(QString, expected);
    QString error;
    auto rs = Recordset::OpenTable(m_context->DbArchivi, table, &error);
    for (int i = 0; i < dates.size(); ++i)
        addInvoice(*rs, dates.at(i), numbers.at(i));
    QCOMPARE(numeroProposto(*rs, table == "Movimenti", QDate(2026, 12, 6)), expected);
}

void DocumentsTest::privacyNotice()
{
    const QString file = m_context->settingsFile();
    writeSettings("[Generale]\nPrivacy_1=A\nPrivacy_3=C\n");
    QCOMPARE(notaPrivacy(file), QStringLiteral("A C"));
    writeSettings("[Generale]\nPrivacy_2=B\n");
    QCOMPARE(notaPrivacy(file), QStringLiteral(" B"));
    writeSettings("");
    QCOMPARE(notaPrivacy(file), QString());
}

void DocumentsTest::invoiceWindowByKeyboard()
{
    writeSettings("[Generale]\nCalcolo=GEOMETRA\nImporto=Compenso\nPrivacy_1=Informativa\n");
    addClient(*m_context);
    {
        FArcFAT window(*m_context);
        QCOMPARE(window.windowTitle(), QStringLiteral("Archivio FATTURE - versione EURO"));
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // Opened on an empty table: number 1, today, the focus on the client.
        QCOMPARE(line(&window, 1)->text(), QStringLiteral("1"));
        QCOMPARE(line(&window, 0)->text(), QStringLiteral("06/12/2026"));
        QTRY_VERIFY(line(&window, 2)->hasFocus());
        QVERIFY(!window.Stampa()->isEnabled());
        QCOMPARE(window.DesLbl(5)->text(), QStringLiteral("Compenso"));

        QTest::keyClicks(line(&window, 2), "r1");
        QTest::keyClick(line(&window, 2), Qt::Key_Tab);
        QCOMPARE(window.Ombra(2)->text(), QStringLiteral("Rossi Mario"));
        enter(&window, 5, "1000");
        QCOMPARE(line(&window, 5)->text(), QStringLiteral("1 000.00"));
        enter(&window, 7, "4");
        enter(&window, 6, "22");
        enter(&window, 8, "20");
        QCOMPARE(line(&window, 11)->text().trimmed(), QStringLiteral("228.80"));
        QCOMPARE(line(&window, 12)->text().trimmed(), QStringLiteral("40.00"));
        QCOMPARE(line(&window, 13)->text().trimmed(), QStringLiteral("200.00"));
        QCOMPARE(window.Totale()->text().trimmed(), QStringLiteral("1068.80"));

        // A third decimal and a comma are refused in the fee.
        QLineEdit* fee = line(&window, 5);
        fee->setFocus(Qt::MouseFocusReason);
        fee->end(false);
        QTest::keyClicks(fee, ",5");
        QCOMPARE(fee->text(), QStringLiteral("1000.00"));

        // Double click on the notes puts the privacy notice there.
        auto* notes = qobject_cast<QPlainTextEdit*>(window.Dati(10));
        QTest::mouseDClick(notes->viewport(), Qt::LeftButton);
        QCOMPARE(notes->toPlainText(), QStringLiteral("Informativa"));

        QTest::mouseClick(window.BtMem(), Qt::LeftButton);
        QCOMPARE(Messaggio::shownCount(), 0);
    }
    QString error;
    auto rs = Recordset::OpenTable(m_context->DbArchivi, "Fatture", &error);
    QVERIFY(rs->Seek("=", "2026         1"));
    QCOMPARE(rs->value(6).toLongLong(), 100000);
    QCOMPARE(rs->value(12).toLongLong(), 22880);
    QCOMPARE(rs->text(3), QStringLiteral("R1"));

    // Opened on a stored invoice: it is shown, with printing possible; a free
    // number is not.
    FArcFAT window(*m_context);
    QCOMPARE(line(&window, 1)->text(), QStringLiteral("2"));
    window.setText(1, "1");
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_VERIFY(line(&window, 2)->hasFocus());
    QCOMPARE(line(&window, 5)->text(), QStringLiteral("1 000.00"));
    QCOMPARE(window.Totale()->text().trimmed(), QStringLiteral("1068.80"));
    QVERIFY(window.Stampa()->isEnabled());
    enter(&window, 1, "7");
    QVERIFY(!window.Stampa()->isEnabled());
}

void DocumentsTest::typedAmountsStayUntilTheirInputChanges()
{
    FArcFAT window(*m_context);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_VERIFY(line(&window, 2)->hasFocus());
    enter(&window, 5, "1000");
    enter(&window, 7, "4");
    enter(&window, 6, "22");
    QCOMPARE(line(&window, 12)->text().trimmed(), QStringLiteral("40.00"));

    // 250 typed into the contribution stays, and the VAT is not recomputed.
    enter(&window, 12, "250");
    QCOMPARE(line(&window, 12)->text(), QStringLiteral("250.00"));
    QCOMPARE(line(&window, 11)->text().trimmed(), QStringLiteral("228.80"));
    QCOMPARE(window.Totale()->text().trimmed(), QStringLiteral("1478.80"));
    enter(&window, 6, "22"); // left unchanged: nothing is emptied
    QCOMPARE(line(&window, 12)->text(), QStringLiteral("250.00"));
    enter(&window, 7, "5"); // the rate changes: the amount is computed again
    QCOMPARE(line(&window, 12)->text().trimmed(), QStringLiteral("50.00"));

    // An emptied VAT amount stays empty while other amounts are typed, and is
    // computed again when a rate or the fee is left.
    enter(&window, 11, "");
    QCOMPARE(line(&window, 11)->text(), QString());
    enter(&window, 14, "50");
    QCOMPARE(line(&window, 11)->text(), QString());
    enter(&window, 6, "10");
    QCOMPARE(line(&window, 11)->text().trimmed(), QStringLiteral("105.00"));
}

void DocumentsTest::proFormaAndPurchaseWindows()
{
    {
        FParcella window(*m_context);
        QCOMPARE(window.windowTitle(), QStringLiteral("Archivio PARCELLE- versione EURO"));
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(line(&window, 1)->text(), QStringLiteral("1"));
        QVERIFY(line(&window, 9)->isHidden());
        QVERIFY(window.DesLbl(9)->isHidden());
        line(&window, 0)->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(line(&window, 0), Qt::Key_Tab);
        QTest::keyClick(line(&window, 1), Qt::Key_Tab);
        enter(&window, 5, "1000");
        enter(&window, 7, "4");
        enter(&window, 6, "22");
        enter(&window, 8, "20");
        QCOMPARE(window.Totale()->text().trimmed(), QStringLiteral("1060.80"));
        window.setText(9, "01/02/2026"); // hidden, and still written
        QTest::mouseClick(window.BtMem(), Qt::LeftButton);
    }
    QString error;
    auto parcelle = Recordset::OpenTable(m_context->DbArchivi, "Parcelle", &error);
    QVERIFY(parcelle->Seek("=", "2026         1"));
    QCOMPARE(parcelle->value(10).toDate(), QDate(2026, 2, 1));
    QCOMPARE(parcelle->value(14).toLongLong(), 20800);

    FArcMOV window(*m_context);
    QCOMPARE(window.windowTitle(), QStringLiteral("Archivio MOVIMENTI"));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(line(&window, 1)->text(), QStringLiteral("1"));
    enter(&window, 4, "100");
    enter(&window, 5, "22");
    enter(&window, 6, "0.5");
    QCOMPARE(window.Ombra(4)->text(), QStringLiteral("100.00"));
    QCOMPARE(window.Ombra(5)->text(), QStringLiteral("22.00"));
    QCOMPARE(window.Ombra(6)->text(), QStringLiteral("50.00"));
    enter(&window, 6, "1");
    QCOMPARE(window.Ombra(6)->text(), QStringLiteral("100.00"));
    enter(&window, 8, "5");
    QCOMPARE(window.Ombra(6)->text(), QStringLiteral("100.00"));
    enter(&window, 4, "");
    QCOMPARE(window.Ombra(4)->text() + window.Ombra(5)->text() + window.Ombra(6)->text(), QString());
}

// Printing shows the saved pro-forma in the preview, never offers a PDF and
// ends the window; one typed but not saved is reported as not found.
void DocumentsTest::proFormaPrintsThroughPreviewAndCloses()
{
    addClient(*m_context);

    for (bool saved : {true, false}) {
        FParcella window(*m_context);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        enter(&window, 2, "R1");
        enter(&window, 5, "1000");
        if (saved)
            QTest::mouseClick(window.BtMem(), Qt::LeftButton);
        QString page;
        bool pdfOffered = true;
        whenModal<frmPreview>(&window, [&](frmPreview* preview) {
            pdfOffered = preview->PDF->isVisible();
            QFile file(pageEngine().pageFilePath(0));
            if (file.open(QIODevice::ReadOnly))
                page = QString::fromUtf8(file.readAll());
            QTest::keyClick(preview, Qt::Key_Escape);
        });
        Messaggio::setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(!pdfOffered);
        QCOMPARE(Messaggio::lastText(), saved ? QString() : QStringLiteral("Parcella non trovata"));
        QCOMPARE(page.contains("PARCELLA PROFORMA N. 1 / 2026"), saved);
        Messaggio::resetForTest();
    }
}
