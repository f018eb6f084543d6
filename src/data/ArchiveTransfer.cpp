#include "ArchiveTransfer.h"

#include "ArchiveTally.h"
#include "Database.h"
#include "Schema.h"
#include "SqlDialect.h"
#include "StagedFile.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// Ends the original's read snapshot, and rolls the target's write back,
// whichever way the copy leaves.
class CopyScope
{
public:
    CopyScope(Database& from, Database& to) : m_from(from), m_to(to) {}
    ~CopyScope()
    {
        if (m_writing)
            m_to.rollback();
        if (m_reading)
            m_from.endReadSnapshot();
    }
    CopyScope(const CopyScope&) = delete;
    CopyScope& operator=(const CopyScope&) = delete;

    bool begin(QString* error)
    {
        m_reading = m_from.beginReadSnapshot(error);
        m_writing = m_reading && m_to.begin(error);
        return m_writing;
    }
    bool commit(QString* error)
    {
        m_writing = false;
        return m_to.commit(error);
    }

private:
    Database& m_from;
    Database& m_to;
    bool m_reading = false;
    bool m_writing = false;
};

QStringList columnList(const Database& db, const TableDef& table)
{
    QStringList columns;
    for (const ColumnDef& column : table.columns)
        columns << db.quoted(column.name);
    return columns;
}

bool sameLayout(const TableDef& a, const TableDef& b)
{
    if (a.columns.size() != b.columns.size() || a.keyed != b.keyed || a.autoKey != b.autoKey)
        return false;
    for (std::size_t i = 0; i < a.columns.size(); ++i)
        if (a.columns[i].name.compare(b.columns[i].name, Qt::CaseInsensitive) != 0 ||
            a.columns[i].type != b.columns[i].type || a.columns[i].size != b.columns[i].size)
            return false;
    return true;
}

bool checkLayouts(const Database& from, const Database& to, QString* error)
{
    if (from.schemaVersion() != to.schemaVersion())
        return fail(error, QStringLiteral("L'archivio di origine è della versione %1, quello di "
                                          "destinazione della versione %2: aprirli entrambi con "
                                          "questa versione del programma prima di copiarli.")
                               .arg(from.schemaVersion())
                               .arg(to.schemaVersion()));
    for (const TableDef& table : from.layout()) {
        const TableDef* other = to.tableLayout(table.name);
        if (!other || !sameLayout(table, *other))
            return fail(error,
                        QStringLiteral("La tabella %1 dell'archivio di destinazione è diversa da "
                                       "quella di origine: copia non eseguita.")
                            .arg(table.name));
    }
    return true;
}

// The rows of a table of `to` that a copy would add to, for the message:
// none for an empty table, and none for the heading record a new database
// holds with every field empty.
bool rowsInTheWay(Database& to, const TableDef& table, qint64* rows, QString* error)
{
    QSqlQuery q(to.connection());
    q.setForwardOnly(true);
    const QString sql =
        table.keyed
            ? QStringLiteral("SELECT COUNT(*) FROM %1").arg(to.quoted(table.name))
            : QStringLiteral("SELECT %1 FROM %2")
                  .arg(columnList(to, table).join(QStringLiteral(", ")), to.quoted(table.name));
    if (!q.exec(sql))
        return fail(error, to.failure(q.lastError()));
    *rows = 0;
    if (table.keyed) {
        if (q.next())
            *rows = q.value(0).toLongLong();
    } else {
        qint64 all = 0;
        bool blank = true;
        while (q.next()) {
            ++all;
            for (std::size_t i = 0; i < table.columns.size(); ++i)
                blank = blank && q.value(int(i)).toString().trimmed().isEmpty();
        }
        *rows = all > 1 || !blank ? all : 0;
    }
    return q.lastError().isValid() ? fail(error, to.failure(q.lastError())) : true;
}

bool targetIsEmpty(Database& to, QString* error)
{
    QStringList held;
    for (const TableDef& table : to.layout()) {
        qint64 rows = 0;
        if (!rowsInTheWay(to, table, &rows, error))
            return false;
        if (rows > 0)
            held << QStringLiteral("%1: %2 record").arg(table.name).arg(rows);
    }
    if (held.isEmpty())
        return true;
    return fail(error, QStringLiteral("L'archivio di destinazione contiene già dei dati (%1): "
                                      "si copia solo in un archivio vuoto, appena creato.")
                           .arg(held.join(QStringLiteral("; "))));
}

bool copyTable(Database& from, Database& to, const TableDef& table, QString* error)
{
    // The heading record of a new database gives way to the original's.
    if (!table.keyed &&
        !to.execute(QStringLiteral("DELETE FROM %1").arg(to.quoted(table.name)), {}, error))
        return false;
    const QStringList columns = columnList(from, table);
    QString select = QStringLiteral("SELECT %1 FROM %2")
                         .arg(columns.join(QStringLiteral(", ")), from.quoted(table.name));
    // Key order on both engines is byte order; a table without a key goes
    // in the order the engine keeps it, which is the order it was written.
    if (table.keyed)
        select += QStringLiteral(" ORDER BY %1").arg(columns.front());
    QSqlQuery read(from.connection());
    read.setForwardOnly(true);
    if (!read.exec(select))
        return fail(error, QStringLiteral("Impossibile leggere la tabella %1: %2")
                               .arg(table.name, from.failure(read.lastError())));

    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    QSqlQuery write(to.connection());
    if (!write.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(to.quoted(table.name),
                                columnList(to, table).join(QStringLiteral(", ")),
                                marks.join(QStringLiteral(", ")))))
        return fail(error, QStringLiteral("Impossibile scrivere la tabella %1: %2")
                               .arg(table.name, to.failure(write.lastError())));
    const int count = int(columns.size());
    while (read.next()) {
        for (int i = 0; i < count; ++i)
            write.bindValue(i, read.value(i));
        if (!write.exec())
            return fail(error, QStringLiteral("Impossibile scrivere nella tabella %1 il record "
                                              "%2: %3")
                                   .arg(table.name, read.value(0).toString().trimmed(),
                                        to.failure(write.lastError())));
    }
    if (read.lastError().isValid())
        return fail(error, QStringLiteral("Impossibile leggere la tabella %1: %2")
                               .arg(table.name, from.failure(read.lastError())));
    if (table.autoKey) {
        for (const QString& sql :
             to.dialect().resumeCounter(table.name, table.columns.front().name))
            if (!to.execute(sql, {}, error))
                return false;
    }
    return true;
}

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    return first.exists() && second.exists() &&
           first.canonicalFilePath() == second.canonicalFilePath();
}

} // namespace

bool copyArchives(Database& from, Database& to, QString* error, ArchiveTally* tally)
{
    if (&from == &to)
        return fail(error, QStringLiteral("Un archivio non può essere copiato su se stesso."));
    if (!from.isOpen() || !to.isOpen())
        return fail(error, QStringLiteral("Entrambi gli archivi devono essere aperti per "
                                          "copiarli."));
    if (!checkLayouts(from, to, error))
        return false;
    CopyScope scope(from, to);
    if (!scope.begin(error) || !targetIsEmpty(to, error))
        return false;
    for (const TableDef& table : from.layout())
        if (!copyTable(from, to, table, error))
            return false;

    // Both tallied before the copy is kept: the original in the snapshot it
    // was copied from, the copy in the transaction that wrote it.
    ArchiveTally original;
    ArchiveTally copied;
    if (!tallyArchives(from, &original, error) || !tallyArchives(to, &copied, error))
        return false;
    if (const QStringList differences = compareTallies(original, copied); !differences.isEmpty())
        return fail(error, QStringLiteral("La copia non corrisponde all'archivio di origine e non "
                                          "è stata conservata:\n%1")
                               .arg(differences.join(QLatin1Char('\n'))));
    if (QString reason; !scope.commit(&reason))
        return fail(
            error, QStringLiteral("Impossibile completare la copia degli archivi: %1").arg(reason));
    if (tally)
        *tally = std::move(original);
    return true;
}

bool writeSnapshotFile(Database& from, const QString& path, QString* error, ArchiveTally* tally)
{
    if (!from.path().isEmpty() && sameFile(from.path(), path))
        return fail(error, QStringLiteral("La copia non può sostituire l'archivio da cui è fatta "
                                          "(%1): sceglierne un altro nome.")
                               .arg(path));
    StagedFile staged(path);
    if (!staged.create(error) || !Database::createFile(staged.path(), error) ||
        !staged.lockAgain(error))
        return false;
    ArchiveTally original;
    {
        Database copy;
        if (!copy.open(staged.path(), error) || !copyArchives(from, copy, error, &original))
            return false;
    }
    // The file as the next reader will find it, from the disk.
    ArchiveTally written;
    {
        Database check;
        if (!check.openForCheck(staged.path(), error) || !tallyArchives(check, &written, error))
            return false;
    }
    if (const QStringList differences = compareTallies(original, written); !differences.isEmpty())
        return fail(error,
                    QStringLiteral("La copia scritta in %1 non corrisponde all'archivio:\n%2")
                        .arg(path, differences.join(QLatin1Char('\n'))));
    if (!staged.commit(error))
        return false;
    if (tally)
        *tally = std::move(original);
    return true;
}
