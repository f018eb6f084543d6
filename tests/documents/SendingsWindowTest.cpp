#include "SendingsWindowTest.h"

#include "Client.h"
#include "Clock.h"
#include "DocumentFieldTyping.h"
#include "FArcCLI.h"
#include "FArcFAT.h"
#include "FeeDocument.h"
#include "MessageBox.h"
#include "ReceiptImport.h"
#include "Sendings.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

QByteArray sha256(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

const QString kLocked =
    QStringLiteral("Fattura già emessa elettronicamente: per correggerla emettere una nota di "
                   "credito");

} // namespace

void SendingsWindowTest::init()
{
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 6));
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    QVERIFY2(m_data.addSendableInvoice(&error), qPrintable(error));
}

void SendingsWindowTest::cleanup()
{
    m_data.tearDown();
    Clock::setToday({});
}

void SendingsWindowTest::writtenInvoiceLockedUntilWithdrawn()
{
    FArcFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, 1, "1");
    auto* write = window.findChild<QPushButton*>("FatturaElettronica");
    auto* withdraw = window.findChild<QPushButton*>("AnnullaInvio");
    auto* caption = window.findChild<QLabel*>("XmlScritto");
    QVERIFY(!withdraw->isEnabled());
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(write, Qt::LeftButton);
    const QString first = m_data.filePath("Fatture/2026/IT09876543217_A0001.xml");
    QCOMPARE(MessageBox::lastText(), "Fattura elettronica scritta in\n" + first);
    const QByteArray firstHash = sha256(first);
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
    QCOMPARE(sha256(first), firstHash);

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
    QCOMPARE(sha256(first), firstHash);
}

void SendingsWindowTest::keyTypedIsNotTheInvoiceWritten()
{
    QString error;
    QVERIFY(m_data.context().DbArchivi.execute(
        "INSERT INTO Fatture (Chiave, Data, Numero, CodCli, Oggetto, Onorario, AliqIVA, "
        "ImportoIVA) VALUES ('2026         2', '2026-12-02', 2, 'B1', 'Perizia', 50000, 22, "
        "11000)",
        {}, &error));
    FArcFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, 1, "1");
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

void SendingsWindowTest::clientChangedAfterItsInvoiceWasWritten()
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

void SendingsWindowTest::receiptsShownAndRejectionUnlocks()
{
    FArcFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, 1, "1");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(window.findChild<QPushButton*>("FatturaElettronica"), Qt::LeftButton);
    auto* caption = window.findChild<QLabel*>("XmlScritto");
    auto receipt = [this](const char* model, const QString& about) {
        QFile file(QStringLiteral(FALMIDE_RECEIPTS "/") + QLatin1String(model));
        const QString path = m_data.filePath(QLatin1String(model));
        QFile out(path);
        if (!file.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            return QString();
        QByteArray xml = file.readAll();
        xml.replace(QByteArray(model).left(19) + ".xml", about.toUtf8());
        out.write(xml);
        return path;
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
