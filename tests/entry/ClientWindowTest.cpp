#include "ClientWindowTest.h"

#include "Client.h"
#include "DocumentFieldTyping.h"
#include "FArcCLI.h"
#include "MasterDataFields.h"
#include "MessageBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

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
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

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
