#include "WindowsTest.h"

#include "Client.h"
#include "DocumentFieldTyping.h"
#include "FArcCLI.h"
#include "FrmUtente.h"
#include "MasterDataFields.h"
#include "MessageBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

bool shown(QWidget* window)
{
    window->show();
    return QTest::qWaitForWindowActive(window);
}

void retype(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

} // namespace

void ClientWindowTest::init()
{
    MessageBox::resetForTest();
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
}

void ClientWindowTest::cleanup()
{
    m_data.tearDown();
}

void ClientWindowTest::countryAndProvince()
{
    FArcCLI window(m_data.context());
    QVERIFY(shown(&window));

    // Both fields are shown with their captions.
    QStringList captions;
    for (const QLabel* label : window.findChildren<QLabel*>())
        captions << label->text();
    QVERIFY(captions.contains(QStringLiteral("Nazione")));
    QVERIFY(captions.contains(QStringLiteral("Provincia")));

    QLineEdit* code = line(&window, ClientField::Code);
    QTRY_VERIFY(code->hasFocus());
    QTest::keyClicks(code, "f1");
    QTest::keyClick(code, Qt::Key_Tab);
    retype(line(&window, ClientField::Name), "Dupont SARL");
    retype(line(&window, ClientField::Nazione), "fr");
    retype(line(&window, ClientField::Provincia), "mi");
    // The country comes before the tax codes, which abroad are taken as typed:
    // neither leaving the field nor storing says anything of this number.
    QLineEdit* vat = line(&window, ClientField::VatNumber);
    QVERIFY(line(&window, ClientField::Nazione)->y() < vat->y());
    retype(vat, "12345678901");
    QTest::keyClick(vat, Qt::Key_Tab);
    QCOMPARE(MessageBox::shownCount(), 0);

    // A client abroad has no province: refused, nothing stored.
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(window.BtMem(), Qt::LeftButton);
    QCOMPARE(MessageBox::shownCount(), 1);
    QVERIFY2(MessageBox::lastText().endsWith(
                 QStringLiteral("Provincia: un cliente estero non ha provincia")),
             qPrintable(MessageBox::lastText()));
    QString error;
    QVERIFY(!Clients(m_data.context().DbArchivi).find(QStringLiteral("F1"), &error));

    retype(line(&window, ClientField::Provincia), QString());
    QTest::mouseClick(window.BtMem(), Qt::LeftButton);
    QCOMPARE(MessageBox::shownCount(), 1);
    const auto stored = Clients(m_data.context().DbArchivi).find(QStringLiteral("F1"), &error);
    QVERIFY2(stored, qPrintable(error));
    QCOMPARE(stored->nazione, QStringLiteral("FR"));
    QCOMPARE(stored->vatNumber, QStringLiteral("12345678901"));
    QVERIFY(stored->provincia.isEmpty());
}

void ClientWindowTest::taxCodesCheckedWhereTyped()
{
    {
        FArcCLI window(m_data.context());
        QVERIFY(shown(&window));
        enter(&window, ClientField::Code, "cf1");

        // Leaving the field says what is wrong and keeps the focus there.
        QLineEdit* taxCode = line(&window, ClientField::TaxCode);
        retype(taxCode, "rssmra80a01h501z");
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(taxCode, Qt::Key_Tab);
        QTRY_COMPARE(
            MessageBox::lastText(),
            QStringLiteral("Codice Fiscale: il carattere di controllo dovrebbe essere U."));
        QTRY_VERIFY(taxCode->hasFocus());
        QTest::keyClick(taxCode, Qt::Key_End);
        QTest::keyClick(taxCode, Qt::Key_Backspace);
        QTest::keyClick(taxCode, Qt::Key_U);
        QTest::keyClick(taxCode, Qt::Key_Tab);
        QCOMPARE(taxCode->text(), QStringLiteral("RSSMRA80A01H501U"));

        // A click on "Memorizza" checks the field it leaves, and tells once.
        const int told = MessageBox::shownCount();
        QLineEdit* vat = line(&window, ClientField::VatNumber);
        retype(vat, "12345678901");
        MessageBox::setNextAnswer(QMessageBox::Ok);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(window.BtMem(), Qt::LeftButton);
        QTRY_VERIFY(vat->hasFocus());
        QTest::qWait(50);
        QCOMPARE(MessageBox::shownCount(), told + 1);
        QCOMPARE(MessageBox::lastText(),
                 QStringLiteral("Partita IVA: la cifra di controllo dovrebbe essere 3."));
        QString error;
        QVERIFY(!Clients(m_data.context().DbArchivi).find("CF1", &error));
        QTest::keyClick(vat, Qt::Key_End);
        QTest::keyClick(vat, Qt::Key_Backspace);
        QTest::keyClick(vat, Qt::Key_3);
        QTest::mouseClick(window.BtMem(), Qt::LeftButton);
        QCOMPARE(MessageBox::shownCount(), told + 1);
        const auto stored = Clients(m_data.context().DbArchivi).find("CF1", &error);
        QVERIFY(stored);
        QCOMPARE(stored->taxCode, QStringLiteral("RSSMRA80A01H501U"));
    }
    // The heading checks the professional's own codes when it is saved.
    FrmUtente heading(m_data.context());
    QVERIFY(shown(&heading));
    line(&heading, 5)->setText("00743110158");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(heading.BtMem(), Qt::LeftButton);
    QCOMPARE(MessageBox::lastText(),
             QStringLiteral("Codice Fiscale: la cifra di controllo dovrebbe essere 7."));
    QTRY_VERIFY(line(&heading, 5)->hasFocus());
    QCOMPARE(m_data.context().DatiUtente.value(5), QString());
}
