#include "DocumentRulesTest.h"

#include "CodeUsage.h"
#include "Database.h"
#include "DocumentNumber.h"
#include "TestDatabase.h"

#include <QTemporaryDir>
#include <QtTest>

void DocumentRulesTest::documentNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char* text, const char* expected) {
        QTest::newRow(text) << QString::fromUtf8(text) << QString::fromLatin1(expected);
    };
    row("999", "999");
    row("1 000", "1000");
    row("0012", "12");
    row("  7 ", "7");
    row("000", "0");
    row("", "");
    row("   ", "");
    row("12a", "");
    row("-5", "");
    row("1.5", "");
    row("../1", "");
    row("١٢", "");
}

void DocumentRulesTest::documentNumbers()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(documentNumber(text), expected);
}

void DocumentRulesTest::codesUsedByDocuments()
{
    QTemporaryDir dir;
    Database db;
    QString error;
    QVERIFY2(openTestDatabase(db, dir.filePath("falmide.db"), &error), qPrintable(error));
    auto add = [&db](const char* table, const char* codeColumn, const QString& key,
                     const QVariant& code) {
        QString error;
        QVERIFY2(db.execute(QStringLiteral("INSERT INTO %1 (Chiave, %2) VALUES (?, ?)")
                                .arg(QLatin1String(table), QLatin1String(codeColumn)),
                            {key, code}, &error),
                 qPrintable(error));
    };
    add("Fatture", "CodCli", "2026         1", "R1");
    add("Fatture", "CodCli", "2026         2", "r1  "); // an older spelling still counts
    add("Fatture", "CodCli", "2026         3", "R10");
    add("Fatture", "CodCli", "2026         4", QVariant());
    add("Parcelle", "CodCli", "2026         1", "R1");
    add("Movimenti", "CodFor", "2026         1", "F'1");
    // A supplier code used by purchases is not a client's.
    add("Movimenti", "CodFor", "2026         2", "R1");

    const auto r1 = documentsUsingCode(db, CodeOwner::Client, "r1", &error);
    QVERIFY2(r1, qPrintable(error));
    QCOMPARE(r1->fatture, 2);
    QCOMPARE(r1->parcelle, 1);
    QCOMPARE(r1->movimenti, 0);
    QCOMPARE(
        deletionRefusal(CodeOwner::Client, "r1", *r1),
        QStringLiteral("Il cliente R1 non può essere eliminato: è usato da 3 documenti (2 fatture, "
                       "1 parcella)."));

    const auto f1 = documentsUsingCode(db, CodeOwner::Supplier, "f'1 ", &error);
    QVERIFY2(f1, qPrintable(error));
    QCOMPARE(f1->total(), 1);
    QCOMPARE(
        deletionRefusal(CodeOwner::Supplier, "f'1", *f1),
        QStringLiteral(
            "Il fornitore F'1 non può essere eliminato: è usato da 1 documento (1 movimento)."));

    QCOMPARE(documentsUsingCode(db, CodeOwner::Client, "R2", &error)->total(), 0);
    QCOMPARE(documentsUsingCode(db, CodeOwner::Client, "R", &error)->total(), 0);
    QCOMPARE(documentsUsingCode(db, CodeOwner::Supplier, "F1", &error)->total(), 0);
}
