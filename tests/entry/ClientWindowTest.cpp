#include "ClientWindowTest.h"

#include "Client.h"
#include "FArcCLI.h"
#include "MasterDataFields.h"
#include "MessageBox.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

QLineEdit* line(QWidget* window, int index)
{
    return window->findChild<QLineEdit*>(QStringLiteral("Dati%1").arg(index));
}

void retype(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

// The access key of a caption: the letter after a lone "&".
QChar accessKey(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != QLatin1Char('&'))
            continue;
        if (caption.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return caption.at(i + 1).toLower();
    }
    return {};
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

    // Both fields are shown with their captions, and no access key is taken twice.
    QStringList captions;
    for (const QLabel* label : window.findChildren<QLabel*>())
        captions << label->text();
    QVERIFY(captions.contains(QStringLiteral("Nazione")));
    QVERIFY(captions.contains(QStringLiteral("Provincia")));
    QList<QChar> keys;
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        captions << button->text();
    for (const QString& caption : captions)
        if (const QChar key = accessKey(caption); !key.isNull()) {
            QVERIFY2(!keys.contains(key), qPrintable(caption));
            keys << key;
        }

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
