// One desk of the studio, without its windows: it saves new invoices and
// purchases, edits a few records every desk shares and records sendings of
// electronic invoices, each through the same data and record rules the
// invoice and purchase windows call, and answers refusals as a user at a
// window would. One line per outcome on stdout, for the test that counts.
//
//   desk SERVER MARK COUNT
//
// SERVER is [USER@]HOST[:PORT]/DATABASE (password from PGPASSFILE), MARK a
// letter naming the desk, COUNT the documents it saves. It starts at the
// line "go" on stdin, so that every desk begins at once. With
// FALMIDE_DESK_PAUSE_AT=N it stops, for good, inside the transaction of its
// N-th document, so that the test can kill it there.

#include "Database.h"
#include "DocumentAmounts.h"
#include "DocumentFields.h"
#include "DocumentKey.h"
#include "FeeDocument.h"
#include "PlainFields.h"
#include "ProgressivoInvio.h"
#include "ProposedNumber.h"
#include "RecordRules.h"
#include "Recordset.h"
#include "Sendings.h"
#include "Table.h"
#include "Validation.h"

#include <QCoreApplication>
#include <QDate>
#include <QTextStream>
#include <QThread>
#include <cstdio>
#include <memory>

namespace {

// The day the desks work on, and the year of the records they all edit.
const QDate kToday(2026, 3, 2);
const QDate kSharedDate(2025, 6, 30);
constexpr int kSharedRecords = 3;

void say(const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

[[noreturn]] void fail(const QString& what)
{
    say(QStringLiteral("failed ") + QString(what).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    std::exit(1);
}

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

struct Kind
{
    const char* name;
    Table table;
    NumberingRestart restart;
};
const Kind kInvoice{"invoice", Table::Fatture, NumberingRestart::Never};
const Kind kPurchase{"purchase", Table::Movimenti, NumberingRestart::EachYear};

class Desk
{
public:
    Desk(Database& db, QString mark) : m_db(db), m_mark(std::move(mark))
    {
        QString error;
        m_invoices = Recordset::OpenTable(db, nameOf(Table::Fatture), &error);
        m_purchases = Recordset::OpenTable(db, nameOf(Table::Movimenti), &error);
        if (!m_invoices || !m_purchases)
            fail(error);
    }

    // "Nuovo", the fields typed, "Memorizza"; a number another desk took
    // meanwhile gives way to the one proposed next, and is saved again.
    void saveNew(const Kind& kind, int index, bool typedAhead, bool paused)
    {
        Recordset& table = recordsetOf(kind);
        qint64 number = proposedNumber(table, kind.restart, kToday).toLongLong();
        if (typedAhead)
            number += 1; // the user typed a number of their own, racing the others
        const QString label = QStringLiteral("%1-%2").arg(m_mark).arg(index);
        for (;;) {
            PlainFields fields = kind.table == Table::Fatture ? invoiceFields(number, label)
                                                              : purchaseFields(number, label);
            if (paused && !m_db.begin(&m_error))
                fail(m_error);
            QString why;
            const SaveResult result = store(kind, table, fields, SaveMode::AddOnly, &why);
            if (result == SaveResult::StoredNew) {
                if (paused)
                    pauseInside(kind, number);
                say(QStringLiteral("saved %1 %2 %3 %4")
                        .arg(kind.name)
                        .arg(kToday.year())
                        .arg(number)
                        .arg(label));
                if (kind.table == Table::Fatture && index % 50 == 1)
                    recordSending(number);
                return;
            }
            if (paused)
                m_db.rollback();
            const auto key = DocumentKey::of(kToday, number);
            if (result != SaveResult::Refused || !key ||
                !table.Seek(QStringLiteral("="), key->stored()) || table.NoMatch())
                fail(QStringLiteral("%1 %2: %3").arg(kind.name).arg(number).arg(why));
            const qint64 next = proposedNumber(table, kind.restart, kToday).toLongLong();
            say(QStringLiteral("refused-taken %1 %2 %3 -> %4")
                    .arg(kind.name)
                    .arg(kToday.year())
                    .arg(number)
                    .arg(next));
            number = next;
        }
    }

    // A record every desk shares, looked up, changed and saved; when another
    // desk saved it meanwhile, looked up again and changed again. An
    // invoice's notes get the desk's mark, a purchase's exempt amount a cent.
    void editShared(const Kind& kind, qint64 number)
    {
        Recordset& table = recordsetOf(kind);
        for (;;) {
            PlainFields fields(kind.table == Table::Fatture
                                   ? feeDocumentFields(FeeDocumentKind::Invoice)
                                   : ::purchaseFields());
            fields.setText(0, dateText(kSharedDate));
            fields.setText(1, QString::number(number));
            if (CaricaRecord(table, fields.fieldCount() - 1, kDateAndNumberTabIndex, fields,
                             &m_error) != LoadOutcome::Found)
                fail(QStringLiteral("shared %1 %2 not found %3")
                         .arg(kind.name)
                         .arg(number)
                         .arg(m_error));
            qint64 version = table.version();
            if (kind.table == Table::Fatture) {
                fields.setText(FeeField::Notes, fields.text(FeeField::Notes) + m_mark);
            } else {
                // A purchase with nothing exempt shows an empty field.
                const QString shown = fields.text(PurchaseField::Exempt).trimmed();
                const auto exempt =
                    shown.isEmpty() ? std::optional(Money::fromCents(0)) : Money::fromText(shown);
                if (!exempt)
                    fail(QStringLiteral("exempt amount unreadable"));
                fields.setText(PurchaseField::Exempt, (*exempt + Money::fromCents(1)).fieldText());
            }
            // The user takes a moment over the change: other desks save meanwhile.
            QThread::msleep(20);
            QString why;
            const SaveResult result =
                store(kind, table, fields, SaveMode::AddOrReplace, &why, &version);
            if (result == SaveResult::Replaced) {
                say(QStringLiteral("edited %1 %2").arg(kind.name).arg(number));
                return;
            }
            if (result != SaveResult::ChangedElsewhere)
                fail(QStringLiteral("edit of %1 %2: %3").arg(kind.name).arg(number).arg(why));
            say(QStringLiteral("refused-changed %1 %2").arg(kind.name).arg(number));
        }
    }

private:
    Recordset& recordsetOf(const Kind& kind)
    {
        return kind.table == Table::Fatture ? *m_invoices : *m_purchases;
    }

    // What "Memorizza" does with the fields: the invoice window stores the
    // document they show, the purchase window the fields as its columns.
    SaveResult store(const Kind& kind, Recordset& table, PlainFields& fields, SaveMode mode,
                     QString* why, qint64* version = nullptr)
    {
        qint64 none = 0;
        if (!version)
            version = &none;
        // Every field checked as leaving it does, codes looked up.
        Database& db = m_db;
        const auto refusal = checkFields(fields, [&db](Table t, const QString& key, int field) {
            return Descrizione(db, t, key, field);
        });
        if (refusal) {
            *why = refusal->message;
            return SaveResult::Refused;
        }
        if (kind.table == Table::Fatture) {
            const auto document = feeDocumentFromFields(fields, FeeDocumentKind::Invoice, why);
            if (!document)
                return SaveResult::Refused;
            return FeeDocuments(m_db, FeeDocumentKind::Invoice).save(*document, mode, why, version);
        }
        switch (MemorizzaRecord(table, fields.fieldCount() - 1, kDateAndNumberTabIndex, fields,
                                QStringLiteral("."), QStringLiteral(","), why, mode, version)) {
        case SaveOutcome::StoredNew:
            return SaveResult::StoredNew;
        case SaveOutcome::Replaced:
            return SaveResult::Replaced;
        case SaveOutcome::ChangedElsewhere:
            return SaveResult::ChangedElsewhere;
        case SaveOutcome::DeletedElsewhere:
            return SaveResult::DeletedElsewhere;
        default:
            return SaveResult::Refused;
        }
    }

    PlainFields invoiceFields(qint64 number, const QString& label)
    {
        PlainFields fields(feeDocumentFields(FeeDocumentKind::Invoice));
        fields.setText(FeeField::Date, dateText(kToday));
        fields.setText(FeeField::Number, QString::number(number));
        fields.setText(FeeField::Client, QStringLiteral("B1"));
        fields.setText(FeeField::Subject, label);
        fields.setText(FeeField::Fee, QStringLiteral("100,00"));
        fields.setText(FeeField::VatRate, QStringLiteral("22"));
        fields.setText(FeeField::ContributionRate, QStringLiteral("5"));
        CalcolaImporti(fields, FeeField::Fee, FeeDocumentKind::Invoice, FeeProfile::Geometra);
        return fields;
    }

    PlainFields purchaseFields(qint64 number, const QString& label)
    {
        PlainFields fields(::purchaseFields());
        fields.setText(PurchaseField::Date, dateText(kToday));
        fields.setText(PurchaseField::Number, QString::number(number));
        fields.setText(PurchaseField::Supplier, QStringLiteral("F1"));
        fields.setText(PurchaseField::Description, label);
        fields.setText(PurchaseField::Taxable, QStringLiteral("50,00"));
        fields.setText(PurchaseField::VatRate, QStringLiteral("22"));
        return fields;
    }

    // Stays inside the open transaction of a document being saved, with
    // the invoice's sending recorded too, until the process is killed.
    [[noreturn]] void pauseInside(const Kind& kind, qint64 number)
    {
        if (kind.table == Table::Fatture)
            addSending(number);
        say(QStringLiteral("pausing %1 %2 %3").arg(kind.name).arg(kToday.year()).arg(number));
        for (;;)
            QThread::sleep(60);
    }

    // An electronic invoice written: its sending under the next free
    // progressive and the invoice's time of writing, in one transaction.
    void recordSending(qint64 number)
    {
        if (!m_db.begin(&m_error))
            fail(m_error);
        const QString progressive = addSending(number);
        if (!m_db.commit(&m_error))
            fail(m_error);
        say(QStringLiteral("sent %1 %2 %3").arg(kToday.year()).arg(number).arg(progressive));
    }

    QString addSending(qint64 number)
    {
        const DocumentKey key = *DocumentKey::of(kToday, number);
        Sending sending;
        sending.invoice = key;
        sending.written = QDateTime::currentDateTime();
        sending.stateDate = sending.written;
        const auto recorded = Sendings(m_db).addUnderFreeCounter(
            &sending,
            [](qint64 from, Sending* s, QString*) -> std::optional<qint64> {
                s->progressive = sendingProgressive(from).value_or(QString());
                s->fileName = fatturaPAFileName(QStringLiteral("01234567897"), s->progressive);
                return from;
            },
            &m_error);
        if (!recorded || !FeeDocuments(m_db, FeeDocumentKind::Invoice)
                              .setXmlWritten(key, sending.written, &m_error))
            fail(m_error);
        return sending.progressive;
    }

    Database& m_db;
    QString m_mark;
    QString m_error;
    std::unique_ptr<Recordset> m_invoices;
    std::unique_ptr<Recordset> m_purchases;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        fail(QStringLiteral("usage: desk SERVER MARK COUNT"));
    ServerConnection server;
    QString error;
    if (!parseServerConnection(args.at(1), &server, &error))
        fail(error);
    Database db;
    if (!db.openServer(server, &error))
        fail(error);
    Desk desk(db, args.at(2));
    const int count = args.at(3).toInt();
    const int pauseAt = qEnvironmentVariableIntValue("FALMIDE_DESK_PAUSE_AT");

    say(QStringLiteral("ready"));
    QTextStream in(stdin);
    if (in.readLine() != QLatin1String("go"))
        fail(QStringLiteral("no start"));

    for (int i = 1; i <= count; ++i) {
        const Kind& kind = i % 2 ? kInvoice : kPurchase;
        desk.saveNew(kind, i, i % 8 == 3, i == pauseAt);
        if (i % 10 == 0)
            desk.editShared(i % 20 ? kInvoice : kPurchase, 1 + (i / 20) % kSharedRecords);
    }
    say(QStringLiteral("done"));
    return 0;
}
