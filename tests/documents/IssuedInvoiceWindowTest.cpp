#include "IssuedInvoiceWindowTest.h"

#include "AppContext.h"
#include "Client.h"
#include "Clock.h"
#include "CreditNotes.h"
#include "DocumentAmounts.h"
#include "DocumentFieldTyping.h"
#include "DocumentPdf.h"
#include "FArcCLI.h"
#include "FArcFAT.h"
#include "FeeDocument.h"
#include "MessageBox.h"
#include "PdfTestSupport.h"
#include "ReceiptImport.h"
#include "Sendings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

DocumentKey key(qint64 number)
{
    return *DocumentKey::of(QDate(2026, 1, 1), number);
}

const QString kLocked =
    QStringLiteral("Fattura già emessa elettronicamente: per correggerla emettere una nota di "
                   "credito");
// Shown, and on the stored invoice 1.
void openInvoice(FArcFAT& window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, 1, "1");
}

const QString kReversal = QStringLiteral("a storno della fattura n. 1 del 01/12/2026");

} // namespace

void IssuedInvoiceWindowTest::init()
{
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 6));
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    QVERIFY2(m_data.addSendableInvoice(&error), qPrintable(error));
}

void IssuedInvoiceWindowTest::cleanup()
{
    m_data.tearDown();
    Clock::setToday({});
}

void IssuedInvoiceWindowTest::writtenInvoiceLockedUntilWithdrawn()
{
    FArcFAT window(m_data.context());
    openInvoice(window);
    auto* write = window.findChild<QPushButton*>("FatturaElettronica");
    auto* withdraw = window.findChild<QPushButton*>("AnnullaInvio");
    auto* caption = window.findChild<QLabel*>("XmlScritto");
    QVERIFY(!withdraw->isEnabled());
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(write, Qt::LeftButton);
    const QString first = m_data.filePath("Fatture/2026/IT09876543217_A0001.xml");
    QCOMPARE(MessageBox::lastText(), "Fattura elettronica scritta in\n" + first);
    const QByteArray firstBytes = pdftest::readFile(first);
    QVERIFY(caption->text().endsWith("(IT09876543217_A0001.xml)"));
    QVERIFY(withdraw->isEnabled());

    // What the file carries refuses keys, and says why; so does "Elimina".
    for (const int field : {3, 5}) {
        MessageBox::resetForTest();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(line(&window, field), Qt::LeftButton);
        const QString before = line(&window, field)->text();
        QTest::keyClicks(line(&window, field), "9");
        QCOMPARE(MessageBox::lastText(), kLocked);
        QCOMPARE(line(&window, field)->text(), before);
    }
    auto* description = window.findChild<QPlainTextEdit*>("Dati4");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    description->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(description, Qt::Key_Backspace);
    QCOMPARE(MessageBox::lastText(), kLocked);
    MessageBox::resetForTest();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(window.BtCanc(), Qt::LeftButton);
    QCOMPARE(MessageBox::shownCount(), 1);
    QCOMPARE(MessageBox::lastText(), kLocked);

    // The payment date and the notes stay open, and are stored.
    enter(&window, 9, "05122026");
    auto* notes = window.findChild<QPlainTextEdit*>("Dati10");
    notes->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(notes, "Pagata");
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QString error;
    FeeDocuments invoices(m_data.context().DbArchivi, FeeDocumentKind::Invoice);
    const DocumentKey key = *DocumentKey::of(QDate(2026, 12, 1), 1);
    QTRY_COMPARE(invoices.find(key, &error)->notes, QStringLiteral("Pagata"));
    QCOMPARE(invoices.find(key, &error)->paymentDate, QDate(2026, 12, 5));

    // Written again only when the user says so, as a new file.
    MessageBox::resetForTest();
    MessageBox::setNextAnswer(QMessageBox::No);
    QTest::mouseClick(write, Qt::LeftButton);
    QCOMPARE(MessageBox::lastText(), "La fattura 1/2026 è già stata scritta il " +
                                         QDate::currentDate().toString("dd/MM/yyyy") +
                                         " (IT09876543217_A0001.xml). Scriverla di nuovo?");
    QCOMPARE(Sendings(m_data.context().DbArchivi).ofInvoice(key, &error)->size(), 1);
    MessageBox::setNextAnswer(QMessageBox::Yes);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(write, Qt::LeftButton);
    QVERIFY(QFile::exists(m_data.filePath("Fatture/2026/IT09876543217_A0002.xml")));
    QCOMPARE(pdftest::readFile(first), firstBytes);

    // Each file withdrawn ("No" keeps it); the last unlocks the invoice.
    MessageBox::setNextAnswer(QMessageBox::No);
    QTest::mouseClick(withdraw, Qt::LeftButton);
    QVERIFY(Sendings(m_data.context().DbArchivi).live(key, &error)->fileName.endsWith("A0002.xml"));
    for (const char* file : {"A0002", "A0001"}) {
        MessageBox::setNextAnswer(QMessageBox::Yes);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(&window, Qt::Key_I, Qt::AltModifier);
        QTRY_COMPARE(MessageBox::lastText(),
                     QStringLiteral("Invio IT09876543217_%1.xml della fattura "
                                    "1/2026 annullato")
                         .arg(QLatin1String(file)));
    }
    QVERIFY(!withdraw->isEnabled());
    QVERIFY(caption->text().startsWith("Invio annullato il "));
    MessageBox::resetForTest();
    enter(&window, 3, "Frazionamento");
    QCOMPARE(MessageBox::shownCount(), 0);
    QTest::mouseClick(window.BtMem(), Qt::LeftButton);
    QCOMPARE(invoices.find(key, &error)->subject, QStringLiteral("Frazionamento"));
    QCOMPARE(pdftest::readFile(first), firstBytes);
}

void IssuedInvoiceWindowTest::keyTypedIsNotTheInvoiceWritten()
{
    QString error;
    QVERIFY(m_data.context().DbArchivi.execute(
        "INSERT INTO Fatture (Chiave, Data, Numero, CodCli, Oggetto, Onorario, AliqIVA, "
        "ImportoIVA) VALUES ('2026         2', '2026-12-02', 2, 'B1', 'Perizia', 50000, 22, "
        "11000)",
        {}, &error));
    FArcFAT window(m_data.context());
    openInvoice(window);
    // Invoice 2 typed over invoice 1 and not looked up: the screen shows
    // neither, so nothing is written without the question.
    line(&window, 1)->setFocus(Qt::MouseFocusReason);
    line(&window, 1)->selectAll();
    QTest::keyClicks(line(&window, 1), "2");
    MessageBox::setNextAnswer(QMessageBox::No);
    // A button's letter clicks it a moment later, as a click would look.
    QTest::keyClick(&window, Qt::Key_L, Qt::AltModifier);
    QTRY_COMPARE(MessageBox::shownCount(), 1);
    QVERIFY(MessageBox::lastText().contains("Memorizzarle e scrivere la fattura elettronica?"));
    QVERIFY(!QDir(m_data.filePath("Fatture/2026")).exists());
    // "Sì" writes the invoice the fields show, under the key it was shown by.
    MessageBox::setNextAnswer(QMessageBox::Yes);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&window, Qt::Key_L, Qt::AltModifier);
    QTRY_COMPARE(MessageBox::shownCount(), 3);
    QCOMPARE(line(&window, 1)->text().trimmed(), QStringLiteral("1"));
    Sendings sendings(m_data.context().DbArchivi);
    QVERIFY(sendings.live(*DocumentKey::of(QDate(2026, 12, 1), 1), &error));
    QVERIFY(!sendings.live(*DocumentKey::of(QDate(2026, 12, 2), 2), &error));
}

void IssuedInvoiceWindowTest::clientChangedAfterItsInvoiceWasWritten()
{
    QString error;
    Sending written;
    written.invoice = *DocumentKey::of(QDate(2026, 12, 1), 1);
    written.progressive = "A0001";
    written.counter = 1;
    written.fileName = "IT09876543217_A0001.xml";
    written.written = QDateTime::currentDateTime();
    QVERIFY(Sendings(m_data.context().DbArchivi).add(written, &error));
    FArcCLI window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, 0, "B1");
    // The address form alone prints nowhere in the file: stored silently.
    enter(&window, 8, "Spett.le");
    QTest::mouseClick(window.BtMem(), Qt::LeftButton);
    QCOMPARE(MessageBox::shownCount(), 0);
    enter(&window, 1, "Bianchi Srl");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(window.BtMem(), Qt::LeftButton);
    QCOMPARE(MessageBox::shownCount(), 1);
    QVERIFY2(MessageBox::lastText().contains("conservano i dati precedenti"),
             qPrintable(MessageBox::lastText()));
    QCOMPARE(Clients(m_data.context().DbArchivi).find("B1", &error)->name,
             QStringLiteral("Bianchi Srl"));
}

void IssuedInvoiceWindowTest::receiptsShownAndRejectionUnlocks()
{
    FArcFAT window(m_data.context());
    openInvoice(window);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(window.findChild<QPushButton*>("FatturaElettronica"), Qt::LeftButton);
    auto* caption = window.findChild<QLabel*>("XmlScritto");
    auto receipt = [this](const char* model, const QString& about) {
        QByteArray xml = pdftest::readFile(QStringLiteral(FALMIDE_RECEIPTS "/") + model);
        xml.replace(QByteArray(model).left(19) + ".xml", about.toUtf8());
        const QString path = m_data.filePath(QLatin1String(model));
        return pdftest::writeFile(path, xml) ? path : QString();
    };

    // Rejected: said under the buttons with the SdI's reasons, and the
    // invoice takes changes again.
    const QString rejected = receipt("IT09876543217_26008_NS_001.xml", "IT09876543217_A0001.xml");
    QCOMPARE(importSdiReceipts(m_data.context().DbArchivi, {rejected}).constFirst().outcome,
             ReceiptOutcome::Recorded);
    enter(&window, 1, "1");
    QVERIFY2(caption->text().startsWith("Scartata il 09/12/2026: 00305 IdFiscaleIVA del "
                                        "cessionario non valido; 00423"),
             qPrintable(caption->text()));
    QVERIFY(caption->text().endsWith("(IT09876543217_A0001.xml)"));
    MessageBox::resetForTest();
    enter(&window, 3, "Frazionamento");
    QCOMPARE(MessageBox::shownCount(), 0);
    QTest::mouseClick(window.BtMem(), Qt::LeftButton);

    // Written again under a new name, then delivered.
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(window.findChild<QPushButton*>("FatturaElettronica"), Qt::LeftButton);
    QVERIFY(QFile::exists(m_data.filePath("Fatture/2026/IT09876543217_A0002.xml")));
    const QString delivered = receipt("IT09876543217_26007_RC_001.xml", "IT09876543217_A0002.xml");
    QCOMPARE(importSdiReceipts(m_data.context().DbArchivi, {delivered}).constFirst().outcome,
             ReceiptOutcome::Recorded);
    enter(&window, 1, "1");
    QCOMPARE(caption->text(), QStringLiteral("Consegnata il 08/12/2026 (IT09876543217_A0002.xml)"));
    QVERIFY(!window.findChild<QPushButton*>("AnnullaInvio")->isEnabled());
    MessageBox::resetForTest();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(line(&window, 3), Qt::LeftButton);
    QTest::keyClicks(line(&window, 3), "9");
    QCOMPARE(MessageBox::lastText(), kLocked);
}

void IssuedInvoiceWindowTest::fullAndPartialNotes()
{
    FArcFAT window(m_data.context());
    openInvoice(window);
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
    // more than that is refused with the archive's reason.
    enter(&window, 1, "1");
    QCOMPARE(window.windowTitle(), QStringLiteral("Archivio FATTURE - versione EURO"));
    QTest::mouseClick(credit, Qt::LeftButton);
    QCOMPARE(line(&window, 1)->text(), QStringLiteral("3"));
    QCOMPARE(Money::fromText(line(&window, 5)->text()), Money::fromCents(60000));
    enter(&window, 5, "700");
    MessageBox::resetForTest();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_VERIFY2(MessageBox::lastText().contains("resta da stornare al massimo 600,00 euro"),
                 qPrintable(MessageBox::lastText()));
    enter(&window, 5, "600");
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_VERIFY(invoices.find(key(3), &error));

    // Wholly reversed: no more notes.
    enter(&window, 1, "1");
    QVERIFY(!credit->isEnabled());

    // A stored note names what it reverses, and makes no note of itself.
    enter(&window, 1, "2");
    QVERIFY(window.windowTitle().endsWith(kReversal));
    QVERIFY(!credit->isEnabled());
}

void IssuedInvoiceWindowTest::notePrintedAsANote()
{
    QString error;
    FeeDocuments invoices(m_data.context().DbArchivi, FeeDocumentKind::Invoice);
    const FeeDocument invoice = *invoices.find(key(1), &error);
    FeeDocument note = creditNoteFor(
        invoice, *creditableRemainder(m_data.context().DbArchivi, invoice, {}, &error), key(2));
    note.date = QDate(2026, 12, 6);
    QCOMPARE(invoices.save(note, SaveMode::AddOnly, &error), SaveResult::StoredNew);

    // Titled and totalled as what it is, never as an invoice.
    const QString pdf = m_data.filePath("nota.pdf");
    QVERIFY2(
        writeFeeDocumentPdf(m_data.context(), FeeDocumentKind::Invoice, key(2), {}, pdf, &error),
        qPrintable(error));
    CHECK_PDF(pdf, {"NOTA DI CREDITO N. 2 / 2026", kReversal, "TOTALE NOTA DI CREDITO"});
    const QString text = pdftest::output("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(!text.contains("FATTURA N."));
}

void IssuedInvoiceWindowTest::invoiceChangedOrDeletedElsewhere()
{
    Database other;
    QString error;
    QVERIFY2(other.open(m_data.context().DbArchivi.path(), &error), qPrintable(error));
    FeeDocuments theirs(other, FeeDocumentKind::Invoice);
    FeeDocuments stored(m_data.context().DbArchivi, FeeDocumentKind::Invoice);

    FArcFAT window(m_data.context());
    openInvoice(window);
    enter(&window, FeeField::Subject, "Rilievo ovest");
    auto changed = theirs.find(key(1), &error);
    changed->subject = QStringLiteral("Frazionamento");
    QCOMPARE(theirs.save(*changed, SaveMode::AddOrReplace, &error, &changed->version),
             SaveResult::Replaced);

    // "No": nothing is overwritten and what was typed stays on screen.
    const QString question = QStringLiteral("La fattura 1/2026 è stata modificata da un'altra "
                                            "postazione: ricaricarla?");
    MessageBox::setNextAnswer(QMessageBox::No);
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_COMPARE(MessageBox::lastText(), question);
    QCOMPARE(line(&window, FeeField::Subject)->text(), QStringLiteral("Rilievo ovest"));
    QCOMPARE(stored.find(key(1), &error)->subject, QStringLiteral("Frazionamento"));

    // "Sì" shows the invoice as stored; an edit of that is saved.
    MessageBox::resetForTest();
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_COMPARE(line(&window, FeeField::Subject)->text(), QStringLiteral("Frazionamento"));
    QCOMPARE(MessageBox::lastText(), question);
    enter(&window, FeeField::Subject, "Rilievo est");
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_COMPARE(stored.find(key(1), &error)->subject, QStringLiteral("Rilievo est"));

    // Deleted by the other desk: said so, the typed values stay, and a
    // second "Memorizza" stores them again.
    QCOMPARE(theirs.remove(key(1), &error, theirs.find(key(1), &error)->version),
             DeleteResult::Deleted);
    enter(&window, FeeField::Subject, "Rilievo nord");
    MessageBox::resetForTest();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_COMPARE(MessageBox::lastText(),
                 QStringLiteral("La fattura 1/2026 è stata eliminata da un'altra postazione."));
    QVERIFY(!stored.find(key(1), &error));
    QCOMPARE(line(&window, FeeField::Subject)->text(), QStringLiteral("Rilievo nord"));
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_VERIFY(stored.find(key(1), &error));
    QCOMPARE(stored.find(key(1), &error)->subject, QStringLiteral("Rilievo nord"));
}

void IssuedInvoiceWindowTest::numberTakenElsewhere()
{
    Database other;
    QString error;
    QVERIFY2(other.open(m_data.context().DbArchivi.path(), &error), qPrintable(error));
    FeeDocuments stored(m_data.context().DbArchivi, FeeDocumentKind::Invoice);

    FArcFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, FeeField::Number, "2");
    enter(&window, FeeField::Client, "B1");
    enter(&window, FeeField::Subject, "Nuovo rilievo");
    // The other desk stores its own invoice 2 first.
    FeeDocument theirs;
    theirs.key = key(2);
    theirs.date = QDate(2026, 12, 2);
    theirs.clientCode = QStringLiteral("B1");
    theirs.subject = QStringLiteral("Altra postazione");
    QCOMPARE(FeeDocuments(other, FeeDocumentKind::Invoice).save(theirs, SaveMode::AddOnly, &error),
             SaveResult::StoredNew);

    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_COMPARE(MessageBox::lastText(),
                 QStringLiteral("La fattura 2/2026 è già in archivio: un'altra postazione ha "
                                "usato il numero nel frattempo. Proposto il numero 3."));
    QCOMPARE(line(&window, FeeField::Number)->text(), QStringLiteral("3"));
    QTRY_COMPARE(QApplication::focusWidget(), line(&window, FeeField::Number));
    QCOMPARE(line(&window, FeeField::Subject)->text(), QStringLiteral("Nuovo rilievo"));
    QCOMPARE(stored.find(key(2), &error)->subject, QStringLiteral("Altra postazione"));

    // Leaving the number looks nothing up; "Memorizza" stores it as 3.
    QTest::keyClick(line(&window, FeeField::Number), Qt::Key_Tab);
    QCOMPARE(line(&window, FeeField::Subject)->text(), QStringLiteral("Nuovo rilievo"));
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_VERIFY(stored.find(key(3), &error));
    QCOMPARE(stored.find(key(3), &error)->subject, QStringLiteral("Nuovo rilievo"));
    QCOMPARE(stored.find(key(2), &error)->subject, QStringLiteral("Altra postazione"));
}

void IssuedInvoiceWindowTest::electronicInvoiceBesideThePdf()
{
    QString error;
    Database& db = m_data.context().DbArchivi;
    // A client with certified mail and without a postcode yet.
    QVERIFY(db.execute("UPDATE Clienti SET CAP = NULL, CodDestinatario = 'abc1234', "
                       "PEC = 'b@pec.it'",
                       {}, &error));

    FArcFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_VERIFY(line(&window, 2)->hasFocus());
    auto* button = window.findChild<QPushButton*>("FatturaElettronica");
    QVERIFY(!button->isEnabled()); // number 2 is free
    enter(&window, 1, "1");
    QVERIFY(button->isEnabled() && window.Stampa()->isEnabled());
    auto* written = window.findChild<QLabel*>("XmlScritto");
    QCOMPARE(written->text(), QStringLiteral("XML non ancora scritto"));

    // The client has no postcode: nothing is written and the message says so.
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY2(MessageBox::lastText().contains("Manca il CAP del cliente B1."),
             qPrintable(MessageBox::lastText()));
    // The first sending's progressive.
    const QString path = m_data.filePath("Fatture/2026/IT09876543217_A0001.xml");
    QVERIFY(!QFile::exists(path));

    QVERIFY(db.execute("UPDATE Clienti SET CAP = '20121'", {}, &error));
    // An edit not yet stored is never left out of the file: "No" writes
    // nothing, "Sì" stores the edit and writes it.
    enter(&window, 3, "Frazionamento");
    MessageBox::resetForTest();
    MessageBox::setNextAnswer(QMessageBox::No);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(MessageBox::shownCount(), 1);
    QVERIFY(MessageBox::lastText().contains("Memorizzarle e scrivere la fattura elettronica?"));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(line(&window, 3)->text(), QStringLiteral("Frazionamento"));
    MessageBox::setNextAnswer(QMessageBox::Yes);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(MessageBox::lastText(), "Fattura elettronica scritta in\n" + path);
    // The recipient code says where the file goes: no certified mail then.
    const QByteArray xml = pdftest::readFile(path);
    QVERIFY(xml.contains("<CodiceDestinatario>ABC1234</CodiceDestinatario>"));
    QVERIFY(!xml.contains("PECDestinatario"));
    QVERIFY(xml.contains("Frazionamento"));
    QCOMPARE(QFile::permissions(path) & 0x0077, QFile::Permissions()); // the owner's only
    const QString today =
        "XML scritto il " + QDate::currentDate().toString("dd/MM/yyyy") + " alle ";
    QVERIFY2(written->text().startsWith(today), qPrintable(written->text()));
    QCOMPARE(FeeDocuments(db, FeeDocumentKind::Invoice)
                 .find(*DocumentKey::of(QDate(2026, 12, 1), "1"), &error)
                 ->subject,
             QStringLiteral("Frazionamento"));

    enter(&window, 1, "5");
    QVERIFY(!button->isEnabled());
    QCOMPARE(written->text(), QString());
    enter(&window, 1, "1");
    QVERIFY(written->text().startsWith(today));
}

void IssuedInvoiceWindowTest::electronicInvoiceCarriesItsPdf()
{
    QVERIFY(m_data.writeSettings("[FatturaPA]\nAllegaPDF=1\n"));

    FArcFAT window(m_data.context());
    openInvoice(window);
    // No PDF in the archive yet: it is written there first, then carried.
    const QString pdf = m_data.filePath("Fatture/2026/Fattura_2026_1.pdf");
    QVERIFY(!QFile::exists(pdf));
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(window.findChild<QPushButton*>("FatturaElettronica"), Qt::LeftButton);
    const QString path = m_data.filePath("Fatture/2026/IT09876543217_A0001.xml");
    QCOMPARE(MessageBox::lastText(), "Fattura elettronica scritta in\n" + path);
    const QByteArray bytes = pdftest::readFile(pdf);
    QVERIFY(bytes.startsWith("%PDF-"));
    const QByteArray xml = pdftest::readFile(path);
    QVERIFY(xml.contains("<NomeAttachment>Fattura_2026_1.pdf</NomeAttachment>"));
    QVERIFY(xml.contains("<Attachment>" + bytes.toBase64() + "</Attachment>"));
}
