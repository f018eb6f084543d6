#include "AppTests.h"

#include "Clock.h"
#include "DocumentAmounts.h"
#include "DocumentFieldTyping.h"
#include "DocumentKey.h"
#include "FArcFAT.h"
#include "FatturaPAFile.h"
#include "Main.h"
#include "MessageBox.h"
#include "ModalHelper.h"
#include "PecActions.h"
#include "PecSession.h"
#include "PecSettingsDialog.h"
#include "Sendings.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

namespace {

const DocumentKey kInvoice = *DocumentKey::of(QDate(2026, 12, 1), 1);
const QString kUser = QStringLiteral("studio@pec.studio.test");
const QString kPassword = QStringLiteral("Segreta-123");

void retype(QWidget* field, const QString& text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

// Sets the test servers' account up, its password known for this run.
bool useAccount(AppContext& context, int smtpPort, int imapPort)
{
    PecSettings pec;
    pec.address = kUser;
    pec.smtpHost = pec.imapHost = QStringLiteral("127.0.0.1");
    pec.smtpPort = smtpPort;
    pec.imapPort = imapPort;
    PecSession::remember(pec, kPassword);
    return context.settings().setPec(pec);
}

} // namespace

void PecWindowsTest::initTestCase()
{
    // The desktop's secret store is the user's own: never touched by a test.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QString error;
    QVERIFY2(m_certificates.create(&error), qPrintable(error));
    QVERIFY2(
        m_smtp.start(m_certificates, true, TestSmtpServer::Mode::Accept, kUser, kPassword, &error),
        qPrintable(error));
    QVERIFY2(m_imap.start(m_certificates, kUser, kPassword, &error), qPrintable(error));
}

void PecWindowsTest::init()
{
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 6));
    qputenv("FALMIDE_PEC_CA_FILE", m_certificates.authorityFile().toUtf8());
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    QVERIFY2(m_data.addSendableInvoice(&error), qPrintable(error));
    QString message;
    const auto path = exportFatturaPA(m_data.context().DbArchivi, m_data.context().settings(),
                                      m_data.path(), kInvoice, {}, &message);
    QVERIFY2(path, qPrintable(message));
    m_written = QFileInfo(*path).fileName();
}

void PecWindowsTest::cleanup()
{
    PecSession::forget(m_data.context().settings().pec());
    m_data.tearDown();
    Clock::setToday({});
    qunsetenv("FALMIDE_PEC_CA_FILE");
}

void PecWindowsTest::settingsTypedCheckedAndTried()
{
    PecSettingsDialog window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* address = window.findChild<QLineEdit*>("Indirizzo");
    retype(address, "studio.pec.test");
    retype(window.findChild<QLineEdit*>("ServerSMTP"), "127.0.0.1");
    retype(window.findChild<QSpinBox*>("PortaSMTP"), QString::number(m_smtp.port()));
    retype(window.findChild<QLineEdit*>("ServerIMAP"), "127.0.0.1");
    retype(window.findChild<QSpinBox*>("PortaIMAP"), QString::number(m_imap.port()));
    retype(window.findChild<QLineEdit*>("Password"), kPassword);

    // An address without its domain is refused where it was typed.
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_VERIFY(MessageBox::lastText().startsWith("Indirizzo PEC non valido"));
    QVERIFY(window.isVisible() && address->hasFocus());
    QCOMPARE(m_data.context().settings().pec().address, QString());

    // Both servers tried with what is typed, nothing sent.
    retype(address, kUser);
    const int received = int(m_smtp.received().size());
    QTest::keyClick(&window, Qt::Key_P, Qt::AltModifier);
    auto* result = window.findChild<QLabel*>("Esito");
    QTRY_VERIFY2(result->text().count("collegamento riuscito") == 2, qPrintable(result->text()));
    QCOMPARE(m_smtp.received().size(), received);

    // Saved: the section written, the password not in the file. Without a
    // secret store it is kept for this run, and said so.
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(window.findChild<QPushButton*>("Memorizza"), Qt::LeftButton);
    QTRY_VERIFY(!window.isVisible());
    const PecSettings saved = m_data.context().settings().pec();
    QCOMPARE(saved.address, kUser);
    QCOMPARE(saved.smtpPort, m_smtp.port());
    QCOMPARE(saved.sdiAddress, QStringLiteral("sdi01@pec.fatturapa.it"));
    QFile ini(m_data.context().settingsFile());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QVERIFY(!ini.readAll().contains(kPassword.toUtf8()));
    QVERIFY2(MessageBox::lastText().contains("non è stata custodita"),
             qPrintable(MessageBox::lastText()));
    QCOMPARE(PecSession::password(saved, nullptr), kPassword);
}

void PecWindowsTest::periodSentFromItsWindow()
{
    QVERIFY(useAccount(m_data.context(), m_smtp.port(), m_imap.port()));
    const int before = int(m_smtp.received().size());

    PecPeriodDialog window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    retype(window.findChild<QLineEdit*>("First"), "01/12/2026");
    MessageBox::setNextAnswer(QMessageBox::Yes); // send 1 file?
    MessageBox::setNextAnswer(QMessageBox::Ok);  // what was sent
    QTest::keyClick(&window, Qt::Key_I, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(MessageBox::shownCount(), 2, 30000);
    QVERIFY2(MessageBox::lastText().contains(m_written + " (fattura 1/2026) inviato con PEC a "
                                                         "sdi01@pec.fatturapa.it"),
             qPrintable(MessageBox::lastText()));
    QCOMPARE(m_smtp.received().size(), before + 1);
    QString error;
    const auto live = Sendings(m_data.context().DbArchivi).live(kInvoice, &error);
    QVERIFY(live && live->state == SendingState::Sent && !live->messageId.isEmpty());

    // Done, the window closed; asked again, nothing is left to send in the
    // period: said, nothing sent.
    QVERIFY(!window.isVisible());
    PecPeriodDialog again(m_data.context());
    again.show();
    QVERIFY(QTest::qWaitForWindowActive(&again));
    retype(again.findChild<QLineEdit*>("First"), "01/12/2026");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&again, Qt::Key_I, Qt::AltModifier);
    QTRY_VERIFY(MessageBox::lastText().startsWith("Nessun file scritto e non ancora inviato"));
    QCOMPARE(m_smtp.received().size(), before + 1);
}

void PecWindowsTest::invoiceWindowSendsItsFile()
{
    QVERIFY(useAccount(m_data.context(), m_smtp.port(), m_imap.port()));
    Main main(m_data.context()); // sets the window's way to the PEC
    FArcFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, FeeField::Number, "1");
    auto* send = window.findChild<QPushButton*>("InviaPEC");
    QTRY_VERIFY(send->isEnabled());
    MessageBox::setNextAnswer(QMessageBox::Yes);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&window, Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(MessageBox::shownCount(), 2, 30000);
    QVERIFY2(MessageBox::lastText().contains("inviato con PEC"),
             qPrintable(MessageBox::lastText()));
    // Sent once: the button goes off, the window says so.
    QTRY_VERIFY(!send->isEnabled());
    QVERIFY(window.findChild<QLabel*>("XmlScritto")->text().startsWith("Inviata con PEC il"));
}
