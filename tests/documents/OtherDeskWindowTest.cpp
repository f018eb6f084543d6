#include "OtherDeskWindowTest.h"

#include "AppContext.h"
#include "Clock.h"
#include "DocumentFieldTyping.h"
#include "FArcFAT.h"
#include "FeeDocument.h"
#include "MessageBox.h"

#include <QApplication>
#include <QtTest>

namespace {

DocumentKey key(qint64 number)
{
    return *DocumentKey::of(QDate(2026, 1, 1), number);
}

constexpr int kNumber = 1;
constexpr int kClient = 2;
constexpr int kSubject = 3;

} // namespace

void OtherDeskWindowTest::init()
{
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 6));
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    QVERIFY2(m_data.addSendableInvoice(&error), qPrintable(error));
}

void OtherDeskWindowTest::cleanup()
{
    m_data.tearDown();
    Clock::setToday({});
}

void OtherDeskWindowTest::invoiceChangedOrDeletedElsewhere()
{
    Database other;
    QString error;
    QVERIFY2(other.open(m_data.context().DbArchivi.path(), &error), qPrintable(error));
    FeeDocuments theirs(other, FeeDocumentKind::Invoice);
    FeeDocuments stored(m_data.context().DbArchivi, FeeDocumentKind::Invoice);

    FArcFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, kNumber, "1");
    enter(&window, kSubject, "Rilievo ovest");
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
    QCOMPARE(line(&window, kSubject)->text(), QStringLiteral("Rilievo ovest"));
    QCOMPARE(stored.find(key(1), &error)->subject, QStringLiteral("Frazionamento"));

    // "Sì" shows the invoice as stored; an edit of that is saved.
    MessageBox::resetForTest();
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_COMPARE(line(&window, kSubject)->text(), QStringLiteral("Frazionamento"));
    QCOMPARE(MessageBox::lastText(), question);
    enter(&window, kSubject, "Rilievo est");
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_COMPARE(stored.find(key(1), &error)->subject, QStringLiteral("Rilievo est"));

    // Deleted by the other desk: said so, the typed values stay, and a
    // second "Memorizza" stores them again.
    QCOMPARE(theirs.remove(key(1), &error, theirs.find(key(1), &error)->version),
             DeleteResult::Deleted);
    enter(&window, kSubject, "Rilievo nord");
    MessageBox::resetForTest();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_COMPARE(MessageBox::lastText(),
                 QStringLiteral("La fattura 1/2026 è stata eliminata da un'altra postazione."));
    QVERIFY(!stored.find(key(1), &error));
    QCOMPARE(line(&window, kSubject)->text(), QStringLiteral("Rilievo nord"));
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_VERIFY(stored.find(key(1), &error));
    QCOMPARE(stored.find(key(1), &error)->subject, QStringLiteral("Rilievo nord"));
}

void OtherDeskWindowTest::numberTakenElsewhere()
{
    Database other;
    QString error;
    QVERIFY2(other.open(m_data.context().DbArchivi.path(), &error), qPrintable(error));
    FeeDocuments stored(m_data.context().DbArchivi, FeeDocumentKind::Invoice);

    FArcFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, kNumber, "2");
    enter(&window, kClient, "B1");
    enter(&window, kSubject, "Nuovo rilievo");
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
    QCOMPARE(line(&window, kNumber)->text(), QStringLiteral("3"));
    QTRY_COMPARE(QApplication::focusWidget(), line(&window, kNumber));
    QCOMPARE(line(&window, kSubject)->text(), QStringLiteral("Nuovo rilievo"));
    QCOMPARE(stored.find(key(2), &error)->subject, QStringLiteral("Altra postazione"));

    // Leaving the number looks nothing up; "Memorizza" stores it as 3.
    QTest::keyClick(line(&window, kNumber), Qt::Key_Tab);
    QCOMPARE(line(&window, kSubject)->text(), QStringLiteral("Nuovo rilievo"));
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QTRY_VERIFY(stored.find(key(3), &error));
    QCOMPARE(stored.find(key(3), &error)->subject, QStringLiteral("Nuovo rilievo"));
    QCOMPARE(stored.find(key(2), &error)->subject, QStringLiteral("Altra postazione"));
}
