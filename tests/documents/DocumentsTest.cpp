#include "DocumentsTest.h"

#include "Clock.h"
#include "DocumentAmounts.h"
#include "DocumentFieldTyping.h"
#include "DocumentKey.h"
#include "FArcFAT.h"
#include "FArcMOV.h"
#include "FParcella.h"
#include "FeeDocument.h"
#include "MessageBox.h"
#include "ModalHelper.h"
#include "PrintRun.h"
#include "Recordset.h"
#include "StatusMessage.h"
#include "frmPreview.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

void addClient(AppContext& context)
{
    QString error;
    QVERIFY2(context.DbArchivi.execute("INSERT INTO Clienti (Chiave, CodCliente, Denominazione) "
                                       "VALUES ('R1        ', 'R1', 'Rossi Mario')",
                                       {}, &error),
             qPrintable(error));
}

void showAndWait(QWidget& window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

QString stamp(QWidget* window)
{
    return line(window, FeeField::Stamp)->text().trimmed();
}

} // namespace

void DocumentsTest::init()
{
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 6));
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    addClient(m_data.context());
}

void DocumentsTest::cleanup()
{
    m_data.tearDown();
    Clock::setToday({});
}

void DocumentsTest::invoiceWindowByKeyboard()
{
    QVERIFY(m_data.writeSettings(
        "[Generale]\nCalcolo=GEOMETRA\nImporto=Compenso\nPrivacy_1=Informativa\n"));
    {
        FArcFAT window(m_data.context());
        QCOMPARE(window.windowTitle(), QStringLiteral("Archivio FATTURE - versione EURO"));
        showAndWait(window);
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
        QCOMPARE(window.Totale()->text(), QStringLiteral("1 068.80"));

        // What cannot be an amount is kept as typed and told on leaving,
        // under the fee's caption as the window shows it.
        QLineEdit* fee = line(&window, 5);
        fee->setFocus(Qt::MouseFocusReason);
        fee->end(false);
        QTest::keyClicks(fee, ",5");
        QCOMPARE(fee->text(), QStringLiteral("1000.00,5"));
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(fee, Qt::Key_Tab);
        QTRY_VERIFY(fee->hasFocus());
        QCOMPARE(MessageBox::shownCount(), 1);
        QVERIFY2(MessageBox::lastText().startsWith("Compenso: \"1000.00,5\" non è un importo"),
                 qPrintable(MessageBox::lastText()));
        QCOMPARE(window.Totale()->text(), QStringLiteral("1 068.80"));
        fee->selectAll();
        QTest::keyClicks(fee, "1000");
        QTest::keyClick(fee, Qt::Key_Tab);
        MessageBox::resetForTest();

        // Double click on the notes puts the privacy notice there.
        auto* notes = qobject_cast<QPlainTextEdit*>(window.Dati(10));
        QTest::mouseDClick(notes->viewport(), Qt::LeftButton);
        QCOMPARE(notes->toPlainText(), QStringLiteral("Informativa"));

        QTest::mouseClick(window.BtMem(), Qt::LeftButton);
        QCOMPARE(MessageBox::shownCount(), 0);
    }
    QString error;
    auto rs = Recordset::OpenTable(m_data.context().DbArchivi, "Fatture", &error);
    QVERIFY(rs->Seek("=", "2026         1"));
    QCOMPARE(rs->value(6).toLongLong(), 100000);
    QCOMPARE(rs->value(12).toLongLong(), 22880);
    QCOMPARE(rs->text(3), QStringLiteral("R1"));

    // Opened on a stored invoice: it is shown, with printing possible; a free
    // number is not.
    FArcFAT window(m_data.context());
    QCOMPARE(line(&window, 1)->text(), QStringLiteral("2"));
    window.setText(1, "1");
    showAndWait(window);
    QTRY_VERIFY(line(&window, 2)->hasFocus());
    QCOMPARE(line(&window, 5)->text(), QStringLiteral("1 000.00"));
    QCOMPARE(window.Totale()->text(), QStringLiteral("1 068.80"));
    QVERIFY(window.Stampa()->isEnabled());
    enter(&window, 1, "7");
    QVERIFY(!window.Stampa()->isEnabled());

    // An archive that takes no more writes still prints what it holds.
    m_data.context().DbArchivi.noteDamage(QStringLiteral("pagina illeggibile"));
    enter(&window, 1, "1");
    QVERIFY(window.Stampa()->isEnabled());
    QVERIFY(!window.BtMem()->isEnabled() && !window.BtCanc()->isEnabled());
}

void DocumentsTest::typedAmountsStayUntilTheirInputChanges()
{
    FArcFAT window(m_data.context());
    showAndWait(window);
    QTRY_VERIFY(line(&window, 2)->hasFocus());
    enter(&window, 5, "1000");
    enter(&window, 7, "4");
    enter(&window, 6, "22");
    QCOMPARE(line(&window, 12)->text().trimmed(), QStringLiteral("40.00"));

    // 250 typed into the contribution stays, and the VAT is not recomputed.
    enter(&window, 12, "250");
    QCOMPARE(line(&window, 12)->text(), QStringLiteral("250.00"));
    QCOMPARE(line(&window, 11)->text().trimmed(), QStringLiteral("228.80"));
    QCOMPARE(window.Totale()->text(), QStringLiteral("1 478.80"));
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

void DocumentsTest::proFormaWindow()
{
    {
        FParcella window(m_data.context());
        QCOMPARE(window.windowTitle(), QStringLiteral("Archivio PARCELLE- versione EURO"));
        showAndWait(window);
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
        QCOMPARE(window.Totale()->text(), QStringLiteral("1 060.80"));
        window.setText(9, "01/02/2026"); // hidden, and still written
        QTest::mouseClick(window.BtMem(), Qt::LeftButton);
    }
    QString error;
    auto parcelle = Recordset::OpenTable(m_data.context().DbArchivi, "Parcelle", &error);
    QVERIFY(parcelle->Seek("=", "2026         1"));
    QCOMPARE(parcelle->value(10).toDate(), QDate(2026, 2, 1));
    QCOMPARE(parcelle->value(14).toLongLong(), 20800);
}

// An amount whose display form is longer than its field's MaxLength is shown
// and stored whole; a comma typed in an amount is its decimal point.
void DocumentsTest::longAndCommaAmountsStoredAsTyped()
{
    QString error;
    auto purchases = Recordset::OpenTable(m_data.context().DbArchivi, "Movimenti", &error);
    const QString key = "2026" + QString(9, ' ') + "1";
    {
        FArcMOV window(m_data.context());
        showAndWait(window);
        line(&window, 0)->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(line(&window, 0), Qt::Key_Tab);
        QTest::keyClick(line(&window, 1), Qt::Key_Tab);
        // Never cut to the field's length: the whole amount is stored.
        for (const auto& [typed, shown, cents] :
             {std::tuple("12345678901", "12 345 678 901.00", 1234567890100LL),
              std::tuple("1 470,00", "1 470.00", 147000LL)}) {
            enter(&window, 4, typed);
            QCOMPARE(line(&window, 4)->text(), QString::fromLatin1(shown));
            QTest::mouseClick(window.BtMem(), Qt::LeftButton);
            QCOMPARE(MessageBox::shownCount(), 0);
            QVERIFY(purchases->Seek("=", key));
            QCOMPARE(purchases->value(5).toLongLong(), cents);
        }
        // What cannot be read is said, naming the field, kept for correction,
        // and nothing is stored.
        MessageBox::setNextAnswer(QMessageBox::Ok);
        enter(&window, 4, "1.470");
        QTRY_VERIFY(line(&window, 4)->hasFocus());
        QCOMPARE(MessageBox::shownCount(), 1);
        QVERIFY2(
            MessageBox::lastText().contains(
                "Imponibile: \"1.470\" non è chiaro: il punto separa le migliaia o i decimali? "
                "Per 1 470 euro scrivere 1470 oppure 1.470,00; per 1,47 euro scrivere 1,47."),
            qPrintable(MessageBox::lastText()));
        QCOMPARE(line(&window, 4)->text(), QStringLiteral("1.470"));
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(window.BtMem(), Qt::LeftButton);
        QVERIFY(purchases->Seek("=", key));
        QCOMPARE(purchases->value(5).toLongLong(), 147000); // the last stored
        MessageBox::resetForTest();
        enter(&window, 4, "1470");

        // In a decimal rate too the comma is the point; in a whole rate it is
        // refused like the point.
        enter(&window, 6, "0,5");
        QCOMPARE(line(&window, 6)->text(), QStringLiteral("0.5"));
        QCOMPARE(window.Ombra(6)->text(), QStringLiteral("735.00"));
    }

    FArcFAT window(m_data.context());
    showAndWait(window);
    QTRY_VERIFY(line(&window, 2)->hasFocus());
    enter(&window, 5, "1.470,00");
    QCOMPARE(line(&window, 5)->text(), QStringLiteral("1 470.00"));
    enter(&window, 5, "1000000000");
    QCOMPARE(line(&window, 5)->text(), QStringLiteral("1 000 000 000.00"));
    enter(&window, 7, "4");
    QCOMPARE(line(&window, 12)->text().trimmed(), QStringLiteral("40000000.00"));
    enter(&window, 6, "2,2");
    QCOMPARE(line(&window, 6)->text(), QStringLiteral("22"));
    QTest::mouseClick(window.BtMem(), Qt::LeftButton);
    QCOMPARE(MessageBox::shownCount(), 0);
    auto invoices = Recordset::OpenTable(m_data.context().DbArchivi, "Fatture", &error);
    QVERIFY(invoices->Seek("=", key));
    QCOMPARE(invoices->value(6).toLongLong(), 100000000000);
    QCOMPARE(invoices->value(13).toLongLong(), 4000000000);
}

void DocumentsTest::valuesBeyondTheirColumnKeepTheFocus()
{
    FArcFAT window(m_data.context());
    showAndWait(window);
    QTRY_VERIFY(line(&window, 2)->hasFocus());
    const struct
    {
        int index;
        const char* typed;
        const char* said;
    } cases[] = {
        {5, "99999999999999", "il massimo è 90 000 000 000 000.00"},
        {6, "99999", "da -32 768 a 32 767"},
        {1, "9999999999", "da -2 147 483 648 a 2 147 483 647"},
    };
    for (const auto& c : cases) {
        MessageBox::resetForTest();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        enter(&window, c.index, c.typed);
        QTRY_VERIFY(line(&window, c.index)->hasFocus());
        QCOMPARE(MessageBox::shownCount(), 1);
        QVERIFY2(MessageBox::lastText().contains(QString::fromUtf8(c.said)),
                 qPrintable(MessageBox::lastText()));
        QCOMPARE(line(&window, c.index)->text(),
                 QString::fromLatin1(c.typed)); // kept for correction
        // The largest value that fits is taken.
        line(&window, c.index)->selectAll();
        QTest::keyClick(line(&window, c.index), Qt::Key_Delete);
    }
    MessageBox::resetForTest();
    enter(&window, 5, "90000000000000");
    QCOMPARE(line(&window, 5)->text(), QStringLiteral("90 000 000 000 000.00"));
    QCOMPARE(MessageBox::shownCount(), 0);
    // Another number names another record: the typed fee is not kept.
    MessageBox::setNextAnswer(QMessageBox::No);
    enter(&window, 1, "2147483647");
    QCOMPARE(line(&window, 1)->text(), QStringLiteral("2 147 483 647"));
    QCOMPARE(MessageBox::shownCount(), 1);
    QCOMPARE(MessageBox::lastText(), QStringLiteral("Salvare le modifiche?"));
}

// Printing shows the saved pro-forma in the preview, never offers a PDF and
// ends the window; one typed but not saved is reported as not found.
void DocumentsTest::proFormaPrintsThroughPreviewAndCloses()
{

    for (bool saved : {true, false}) {
        FParcella window(m_data.context());
        showAndWait(window);
        enter(&window, 2, "R1");
        enter(&window, 5, "1000");
        if (saved)
            QTest::mouseClick(window.BtMem(), Qt::LeftButton);
        QString page;
        bool pdfOffered = true;
        whenModal<frmPreview>(&window, [&](frmPreview* preview) {
            pdfOffered = preview->findChild<QPushButton*>("PDF")->isVisible();
            QFile file(preview->run().pageFilePath(0));
            if (file.open(QIODevice::ReadOnly))
                page = QString::fromUtf8(file.readAll());
            QTest::keyClick(preview, Qt::Key_Escape);
        });
        if (!saved)
            MessageBox::setNextAnswer(QMessageBox::No); // "Salvare le modifiche?"
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(!pdfOffered);
        QCOMPARE(MessageBox::lastText(),
                 saved ? QString() : QStringLiteral("Parcella non trovata"));
        QCOMPARE(MessageBox::lastIcon(), saved ? QMessageBox::NoIcon : QMessageBox::Warning);
        QCOMPARE(page.contains("PARCELLA PROFORMA N. 1 / 2026"), saved);
        MessageBox::resetForTest();
    }
}

// A click on "Memorizza" runs the checks leaving a field runs: a code that is
// not in its table stores nothing and gets the focus with its message.
void DocumentsTest::saveRefusesUnknownCodes()
{
    auto check = [this](ArchiveWindow& window, const QString& table) {
        showAndWait(window);
        line(&window, 0)->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(line(&window, 0), Qt::Key_Tab);
        QTest::keyClick(line(&window, 1), Qt::Key_Tab);
        QLineEdit* code = line(&window, 2);
        QTRY_VERIFY(code->hasFocus());
        QTest::keyClicks(code, "xx");
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(window.BtMem(), Qt::LeftButton);
        QVERIFY2(MessageBox::lastText().contains("\"xx\" non esiste"),
                 qPrintable(MessageBox::lastText()));
        QCOMPARE(MessageBox::lastIcon(), QMessageBox::Warning);
        QTRY_VERIFY(code->hasFocus());
        QString error;
        QCOMPARE(Recordset::OpenTable(m_data.context().DbArchivi, table, &error)->RecordCount(), 0);
    };
    FArcFAT invoice(m_data.context());
    check(invoice, "Fatture");
    FArcMOV purchase(m_data.context());
    check(purchase, "Movimenti");
}

// An invoice opened on its date and number, as the consult window opens it,
// shows its client at once; correcting its date within the year keeps what
// was typed; saving and deleting are said in the status panel.
void DocumentsTest::storedInvoiceEditedAndDeleted()
{
    QString error;
    const QString stored = QString("Frazionamento del terreno ").repeated(8).trimmed();
    QVERIFY(m_data.context().DbArchivi.execute(
        "INSERT INTO Fatture (Chiave, Data, Numero, CodCli, Oggetto, Onorario, AliqIVA) VALUES "
        "('2026        12', '2026-03-10', 12, 'R1', ?, 100000, 22)",
        {stored}, &error));
    auto rs = Recordset::OpenTable(m_data.context().DbArchivi, "Fatture", &error);
    QLabel panel;
    registerStatusPanel(&panel);

    FArcFAT window(m_data.context());
    window.setText(0, "10/03/2026");
    window.setText(1, "12");
    showAndWait(window);
    QTRY_VERIFY(line(&window, 2)->hasFocus());
    QCOMPARE(window.Ombra(2)->text(), QStringLiteral("Rossi Mario"));
    QVERIFY(!window.Totale()->text().isEmpty());
    QCOMPARE(line(&window, 3)->text(), stored);
    QCOMPARE(line(&window, 3)->cursorPosition(), 0); // a long text shows its start

    const QString subject = QString("Rilievo e accatastamento ").repeated(8).trimmed();
    enter(&window, 3, subject);
    QCOMPARE(line(&window, 3)->cursorPosition(), 0); // and again once left
    enter(&window, 0, "15032026");
    QCOMPARE(line(&window, 0)->text(), QStringLiteral("15/03/2026"));
    QCOMPARE(line(&window, 3)->text(), subject);
    QTest::keyClick(line(&window, 1), Qt::Key_Tab); // the number comes next
    QCOMPARE(line(&window, 0)->text(), QStringLiteral("15/03/2026"));
    QVERIFY(window.BtCanc()->isEnabled());
    QVERIFY(window.Stampa()->isEnabled());
    QTest::mouseClick(window.BtMem(), Qt::LeftButton);
    QCOMPARE(panel.text(), QStringLiteral("Fattura 12/2026 memorizzata"));
    QVERIFY(rs->Seek("=", "2026        12"));
    QCOMPARE(rs->value(1).toDate(), QDate(2026, 3, 15));
    QCOMPARE(rs->text(4), subject);

    QTRY_VERIFY(line(&window, 0)->hasFocus()); // back on the key after saving
    QTest::keyClick(line(&window, 0), Qt::Key_Tab);
    QTest::keyClick(line(&window, 1), Qt::Key_Tab);
    // One Alt+E only asks; the question's own default is "No", so Enter
    // keeps the invoice.
    QCOMPARE(MessageBox::shownCount(), 0);
    QVERIFY(window.BtCanc()->isEnabled());
    bool noIsTheDefault = false;
    whenModal<QMessageBox>(&window, [&noIsTheDefault](QMessageBox* box) {
        noIsTheDefault = box->defaultButton() == box->button(QMessageBox::No);
        QTest::keyClick(box, Qt::Key_Return);
    });
    QTest::keyClick(&window, Qt::Key_E, Qt::AltModifier);
    QTRY_VERIFY(noIsTheDefault);
    QCOMPARE(MessageBox::lastText(), QStringLiteral("Eliminare la fattura 12/2026?"));
    QCOMPARE(rs->RecordCount(), 1);
    QCOMPARE(line(&window, 3)->text(), subject);
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::mouseClick(window.BtCanc(), Qt::LeftButton);
    QCOMPARE(panel.text(), QStringLiteral("Fattura 12/2026 eliminata"));
    QCOMPARE(window.Totale()->text(), QString());
    QCOMPARE(window.Ombra(2)->text(), QString());
    QCOMPARE(rs->RecordCount(), 0);
    QCOMPARE(MessageBox::shownCount(), 2);
}

// Esc in a field being typed, answered "Sì", stores the field as leaving it
// would have: with the amounts that follow from it.
void DocumentsTest::escapeSavesTheFieldBeingTyped()
{
    {
        FArcFAT untouched(m_data.context());
        showAndWait(untouched);
        QTRY_VERIFY(line(&untouched, 2)->hasFocus());
        QTest::keyClick(line(&untouched, 2), Qt::Key_Escape); // proposed number and date only
        QVERIFY(!untouched.isVisible());
        QCOMPARE(MessageBox::shownCount(), 0);
    }
    FArcFAT window(m_data.context());
    showAndWait(window);
    QTRY_VERIFY(line(&window, 2)->hasFocus());
    enter(&window, 2, "R1");
    enter(&window, 5, "1000");
    enter(&window, 6, "22");
    QLineEdit* fee = line(&window, 5);
    fee->setFocus(Qt::MouseFocusReason);
    fee->selectAll();
    QTest::keyClicks(fee, "2000");
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::keyClick(fee, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    QString error;
    auto rs = Recordset::OpenTable(m_data.context().DbArchivi, "Fatture", &error);
    QVERIFY(rs->Seek("=", "2026         1"));
    QCOMPARE(rs->value(6).toLongLong(), 200000);
    QCOMPARE(rs->value(12).toLongLong(), 44000);
}

void DocumentsTest::proposedAboveTheThresholdUntilTyped()
{
    FArcFAT window(m_data.context());
    showAndWait(window);
    enter(&window, FeeField::Client, "r1");
    enter(&window, FeeField::Fee, "1000");
    enter(&window, FeeField::VatRate, "22");
    QCOMPARE(stamp(&window), QString());

    // Under VAT only the expenses are without it.
    enter(&window, FeeField::Expenses, "77.48");
    QCOMPARE(stamp(&window), QStringLiteral("2.00"));
    enter(&window, FeeField::Expenses, "77.47");
    QCOMPARE(stamp(&window), QString());

    // Without a VAT rate the fee is without VAT too.
    enter(&window, FeeField::VatRate, "");
    QCOMPARE(stamp(&window), QStringLiteral("2.00"));

    // Typed by hand, it stays whatever the amounts do.
    enter(&window, FeeField::Stamp, "16");
    QCOMPARE(stamp(&window), QStringLiteral("16.00"));
    enter(&window, FeeField::VatRate, "22");
    enter(&window, FeeField::Expenses, "10");
    QCOMPARE(stamp(&window), QStringLiteral("16.00"));
    QCOMPARE(MessageBox::shownCount(), 0);
}

void DocumentsTest::storedInvoiceKeepsItsStampDuty()
{
    // The amount and the threshold come from the settings.
    QVERIFY(m_data.writeSettings("[FatturaPA]\nRegimeFiscale=RF19\nBollo=16\nSogliaBollo=100\n"));
    {
        FArcFAT window(m_data.context());
        showAndWait(window);
        enter(&window, FeeField::Client, "r1");
        enter(&window, FeeField::Fee, "100");
        QCOMPARE(stamp(&window), QString());
        enter(&window, FeeField::Fee, "100.01");
        QCOMPARE(stamp(&window), QStringLiteral("16.00"));
        // Stored without it, by the user's choice.
        enter(&window, FeeField::Stamp, "");
        QTest::mouseClick(window.BtMem(), Qt::LeftButton);
        QCOMPARE(MessageBox::shownCount(), 0);
    }
    FArcFAT window(m_data.context());
    showAndWait(window);
    enter(&window, FeeField::Number, "1");
    QCOMPARE(line(&window, FeeField::Fee)->text(), QStringLiteral("100.01"));
    enter(&window, FeeField::Expenses, "10");
    QCOMPARE(stamp(&window), QString());
}

void DocumentsTest::storedInvoiceComputedUnderItsOwnProfile()
{
    // Saved when the settings computed as a geometra: the withholding is on the
    // fee alone. The settings have since moved to the general profile, which
    // would withhold on the contribution too (208.03).
    QString error;
    QVERIFY2(m_data.context().DbArchivi.execute(
                 "INSERT INTO Fatture (Chiave, Data, Numero, CodCli, Oggetto, Onorario, AliqIVA, "
                 "AliqContributo, AliqRA, ImportoIVA, ImportoContributo, ImportoRA, Profilo, "
                 "RegimeFiscale) "
                 "VALUES ('2026         5', '2026-11-02', 5, 'R1', 'Rilievo', 100015, 22, 4, "
                 "20, 22884, 4001, 20003, 'GEOMETRA', 'RF01')",
                 {}, &error),
             qPrintable(error));
    FArcFAT window(m_data.context());
    showAndWait(window);
    enter(&window, FeeField::Number, "5");
    QCOMPARE(line(&window, FeeField::Withholding)->text().trimmed(), QStringLiteral("200.03"));
    enter(&window, FeeField::Fee, "1000.15");
    QCOMPARE(line(&window, FeeField::Withholding)->text().trimmed(), QStringLiteral("200.03"));
    enter(&window, FeeField::Subject, "Rilievo e frazionamento");
    QTest::mouseClick(window.BtMem(), Qt::LeftButton);
    QCOMPARE(MessageBox::shownCount(), 0);
    const auto stored = FeeDocuments(m_data.context().DbArchivi, FeeDocumentKind::Invoice)
                            .find(*DocumentKey::of(QDate(2026, 11, 2), 5), &error);
    QVERIFY2(stored, qPrintable(error));
    QVERIFY(stored->withholding == Money::fromCents(20003));
    QVERIFY(stored->profile == FeeProfile::Geometra);
    QCOMPARE(stored->subject, QStringLiteral("Rilievo e frazionamento"));

    // A new invoice follows the settings.
    enter(&window, FeeField::Number, "6");
    enter(&window, FeeField::Client, "r1");
    enter(&window, FeeField::Fee, "1000.15");
    enter(&window, FeeField::ContributionRate, "4");
    enter(&window, FeeField::WithholdingRate, "20");
    QCOMPARE(line(&window, FeeField::Withholding)->text().trimmed(), QStringLiteral("208.03"));
}
