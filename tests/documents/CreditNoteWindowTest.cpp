#include "CreditNoteWindowTest.h"

#include "Clock.h"
#include "CreditNotes.h"
#include "DocumentFieldTyping.h"
#include "DocumentPdf.h"
#include "FArcFAT.h"
#include "FeeDocument.h"
#include "InvoiceArchive.h"
#include "MessageBox.h"
#include "PdfTestSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {

DocumentKey key(qint64 number)
{
    return *DocumentKey::of(QDate(2026, 1, 1), number);
}

const QString kReversal = QStringLiteral("a storno della fattura n. 1 del 01/12/2026");

} // namespace

void CreditNoteWindowTest::init()
{
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 6));
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    QVERIFY2(m_data.addSendableInvoice(&error), qPrintable(error));
}

void CreditNoteWindowTest::cleanup()
{
    m_data.tearDown();
    Clock::setToday({});
}

void CreditNoteWindowTest::fullAndPartialNotes()
{
    FArcFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, 1, "1");
    auto* credit = window.findChild<QPushButton*>("NotaCredito");
    QVERIFY(credit->isEnabled());
    QCOMPARE(credit->text(), QStringLiteral("&Nota di credito"));

    // An edit not yet stored is asked about; "No" makes no note.
    auto* notes = window.findChild<QPlainTextEdit*>("Dati10");
    notes->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(notes, "Da stornare");
    MessageBox::setNextAnswer(QMessageBox::No);
    QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
    // Shortcuts reach the window through the event loop.
    QTRY_COMPARE(MessageBox::lastText(), QStringLiteral("La fattura ha modifiche non memorizzate.\n"
                                                        "Memorizzarle e preparare la nota di "
                                                        "credito?"));
    QCOMPARE(line(&window, 1)->text(), QStringLiteral("1"));

    // "Sì": the invoice is stored first, then a new note shows the whole of
    // it under the next number, dated today; lowered to 400, it is stored.
    MessageBox::resetForTest();
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(line(&window, 1)->text(), QStringLiteral("2"));
    QString error;
    FeeDocuments invoices(m_data.context().DbArchivi, FeeDocumentKind::Invoice);
    QCOMPARE(invoices.find(key(1), &error)->notes, QStringLiteral("Da stornare"));
    QCOMPARE(line(&window, 0)->text(), QStringLiteral("06/12/2026"));
    QCOMPARE(line(&window, 2)->text(), QStringLiteral("B1"));
    QVERIFY2(window.windowTitle().endsWith("Nota di credito " + kReversal),
             qPrintable(window.windowTitle()));
    QCOMPARE(Money::fromText(line(&window, 5)->text()), Money::fromCents(100000));
    QVERIFY(!invoices.find(key(2), &error));
    enter(&window, 5, "400");
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_VERIFY(invoices.find(key(2), &error));
    auto note = invoices.find(key(2), &error);
    QVERIFY(note && note->isCreditNote());
    QCOMPARE(note->linkedInvoice, key(1));
    QCOMPARE(note->linkedInvoiceDate, QDate(2026, 12, 1));
    QCOMPARE(note->fee, Money::fromCents(40000));
    QCOMPARE(note->vat, Money::fromCents(8800));
    QVERIFY(note->notes.isEmpty());

    // The invoice again: its second note starts from what is left, and
    // more than that is refused with the reason.
    enter(&window, 1, "1");
    QCOMPARE(window.windowTitle(), QStringLiteral("Archivio FATTURE - versione EURO"));
    QTest::mouseClick(credit, Qt::LeftButton);
    QCOMPARE(line(&window, 1)->text(), QStringLiteral("3"));
    QCOMPARE(Money::fromText(line(&window, 5)->text()), Money::fromCents(60000));
    enter(&window, 5, "700");
    MessageBox::resetForTest();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_VERIFY2(MessageBox::lastText().endsWith("La nota di credito storna l'onorario per 700,00 "
                                                 "euro: della fattura 1/2026 resta da stornare al "
                                                 "massimo 600,00 euro"),
                 qPrintable(MessageBox::lastText()));
    QVERIFY(!invoices.find(key(3), &error));
    enter(&window, 5, "600");
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_VERIFY(invoices.find(key(3), &error));
    QVERIFY(!leavesSomethingToCredit(*creditableRemainder(
        m_data.context().DbArchivi, *invoices.find(key(1), &error), {}, &error)));

    // Wholly reversed: no more notes, and the invoice stays.
    enter(&window, 1, "1");
    QVERIFY(!credit->isEnabled());
    MessageBox::resetForTest();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(window.BtCanc(), Qt::LeftButton);
    QCOMPARE(MessageBox::shownCount(), 1);
    QCOMPARE(MessageBox::lastText(), QStringLiteral("La fattura 1/2026 è stornata dalla nota di "
                                                    "credito 2/2026: non si può eliminare"));
    QVERIFY(invoices.find(key(1), &error));

    // A stored note names what it reverses, and makes no note of itself.
    enter(&window, 1, "2");
    QVERIFY(window.windowTitle().endsWith(kReversal));
    QVERIFY(!credit->isEnabled());
}

void CreditNoteWindowTest::notePrintedAndWritten()
{
    QString error;
    FeeDocuments invoices(m_data.context().DbArchivi, FeeDocumentKind::Invoice);
    const FeeDocument invoice = *invoices.find(key(1), &error);
    FeeDocument note = creditNoteFor(
        invoice, *creditableRemainder(m_data.context().DbArchivi, invoice, {}, &error), key(2));
    note.date = QDate(2026, 12, 6);
    QCOMPARE(invoices.save(note, SaveMode::AddOnly, &error), SaveResult::StoredNew);

    // Archived under its own name, titled as what it is.
    const QString pdf = invoiceArchivePath(m_data.context().DbArchivi, m_data.path(), key(2));
    QCOMPARE(pdf, m_data.filePath("Fatture/2026/NotaCredito_2026_2.pdf"));
    QVERIFY(QDir().mkpath(QFileInfo(pdf).path()));
    QVERIFY2(
        writeFeeDocumentPdf(m_data.context(), FeeDocumentKind::Invoice, key(2), {}, pdf, &error),
        qPrintable(error));
    CHECK_PDF(pdf, {"NOTA DI CREDITO N. 2 / 2026", kReversal, "TOTALE NOTA DI CREDITO"});
    const QString text = pdftest::output("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(!text.contains("FATTURA N."));

    // Its electronic invoice: TD04, the invoice it reverses, amounts positive.
    FArcFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, 1, "2");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(window.findChild<QPushButton*>("FatturaElettronica"), Qt::LeftButton);
    const QString xml = m_data.filePath("Fatture/2026/IT09876543217_A0001.xml");
    QCOMPARE(MessageBox::lastText(), "Fattura elettronica scritta in\n" + xml);
    QProcess lint;
    lint.start("xmllint", {"--noout", "--nonet", "--schema", FALMIDE_FATTURAPA_SCHEMA, xml});
    QVERIFY(lint.waitForFinished(30000));
    QVERIFY2(lint.exitCode() == 0, lint.readAllStandardError().constData());
    // Without the indentation between elements.
    const QString content =
        QString::fromUtf8(pdftest::readFile(xml)).replace(QRegularExpression(">\\s+<"), "><");
    QVERIFY(content.contains("<TipoDocumento>TD04</TipoDocumento>"));
    QVERIFY(content.contains("</DatiGeneraliDocumento><DatiFattureCollegate><IdDocumento>1"
                             "</IdDocumento><Data>2026-12-01</Data></DatiFattureCollegate>"));
    QVERIFY(content.contains("<ImportoTotaleDocumento>1220.00</ImportoTotaleDocumento>"));

    // Once written, the note is locked as an invoice is.
    QCOMPARE(invoices.remove(key(2), &error), DeleteResult::Refused);
}
