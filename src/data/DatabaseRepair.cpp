// Checking and repairing a database file. A damaged file is rebuilt by
// reading every table row by row, stepping over the pages that cannot be
// read, into a new file made from the damaged file's own schema.
#include "DatabaseMaintenance.h"
#include "MaintenanceSupport.h"
#include "SqliteFile.h"
#include "StagedFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <optional>
#include <set>

using namespace maintenance;

namespace {

QString quoted(const QString& identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

MaintenanceResult failed(MaintenanceResult result, const MaintenanceError& error)
{
    result.ok = false;
    result.error = error;
    return result;
}

struct SchemaEntry
{
    QString type;
    QString name;
    QString sql;
};

// The rows of a table that can still be reached, by rowid.
class RowidFinder
{
public:
    RowidFinder(SqliteFile& file, const QString& table) : m_file(file), m_table(quoted(table)) {}

    std::set<qint64> find()
    {
        walkTable();
        walkIndexes();
        return m_rowids;
    }

private:
    // The table in rowid order; where a page cannot be read, the walk goes
    // on from the first rowid that can be reached beyond it.
    void walkTable()
    {
        const QString sql =
            QStringLiteral("SELECT rowid FROM %1 NOT INDEXED WHERE rowid >= ? ORDER BY rowid")
                .arg(m_table);
        std::optional<qint64> from = std::numeric_limits<qint64>::min();
        while (from) {
            SqliteStatement walk(m_file, sql);
            walk.bind({*from});
            bool any = false;
            qint64 last = *from;
            while (walk.next()) {
                last = walk.column(0).toLongLong();
                m_rowids.insert(last);
                any = true;
            }
            if (!walk.failed() || last == std::numeric_limits<qint64>::max() ||
                (!any && *from == std::numeric_limits<qint64>::max()))
                return;
            from = readableStart(any ? last + 1 : *from + 1);
        }
    }

    // Whether a seek to the first rowid >= start can be read; *rowid is that
    // row's, or empty when there is none.
    bool probe(qint64 start, std::optional<qint64>* rowid)
    {
        SqliteStatement seek(m_file, QStringLiteral("SELECT rowid FROM %1 NOT INDEXED WHERE "
                                                    "rowid >= ? ORDER BY rowid LIMIT 1")
                                         .arg(m_table));
        seek.bind({start});
        const bool row = seek.next();
        if (seek.failed() || !seek.prepared())
            return false;
        *rowid = row ? std::optional<qint64>(seek.column(0).toLongLong()) : std::nullopt;
        return true;
    }

    // The smallest start at or after base whose seek succeeds, found by
    // doubling the step past the damaged range and then halving back, and
    // the first row from there; nothing when no row beyond can be read.
    std::optional<qint64> readableStart(qint64 base)
    {
        constexpr qint64 kMax = std::numeric_limits<qint64>::max();
        std::optional<qint64> found;
        if (probe(base, &found))
            return found;
        // Rowids span the whole signed range (a table may start far below
        // zero): distances between them are taken unsigned, where they fit.
        const auto gap = [](qint64 low, qint64 high) { return quint64(high) - quint64(low); };
        if (base == kMax)
            return std::nullopt;
        const quint64 room = gap(base, kMax);
        qint64 bad = base;
        qint64 good = 0;
        bool reached = false;
        // The last step lands on the largest rowid, wherever base starts.
        for (quint64 step = 1; !reached; step = step > room / 2 ? room : step * 2) {
            const qint64 candidate = qint64(quint64(base) + step);
            if (probe(candidate, &found)) {
                good = candidate;
                reached = true;
            } else if (candidate == kMax) {
                return std::nullopt;
            } else {
                bad = candidate;
            }
        }
        while (gap(bad, good) > 1) {
            const qint64 middle = bad + qint64(gap(bad, good) / 2);
            std::optional<qint64> row;
            if (probe(middle, &row)) {
                good = middle;
                found = row;
            } else {
                bad = middle;
            }
        }
        return found;
    }

    // Each index lists rowids of its own: rows a damaged inner page of the
    // table hides from the walk can still be reached by their rowid.
    void walkIndexes()
    {
        QList<QVariantList> indexes;
        m_file.rows(QStringLiteral("PRAGMA index_list(%1)").arg(m_table), {}, &indexes);
        for (const QVariantList& index : indexes) {
            SqliteStatement walk(m_file, QStringLiteral("SELECT rowid FROM %1 INDEXED BY %2")
                                             .arg(m_table, quoted(index.value(1).toString())));
            while (walk.next())
                m_rowids.insert(walk.column(0).toLongLong());
        }
    }

    SqliteFile& m_file;
    QString m_table;
    std::set<qint64> m_rowids;
};

// Copies every row of the table that can be read into the same table of out.
TableRows copyReadableRows(SqliteFile& damaged, SqliteFile& out, const QString& table)
{
    TableRows result{table, 0, 0};
    QList<QVariantList> columns;
    damaged.rows(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table)), {}, &columns);
    if (columns.isEmpty())
        return result;
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    SqliteStatement insert(out, QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                    .arg(quoted(table), marks.join(QLatin1Char(','))));
    SqliteStatement fetch(damaged,
                          QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quoted(table)));
    for (const qint64 rowid : RowidFinder(damaged, table).find()) {
        fetch.reset();
        fetch.bind({rowid});
        if (!fetch.next()) {
            if (fetch.failed())
                ++result.lost;
            continue;
        }
        QVariantList values;
        for (int i = 0; i < fetch.columnCount(); ++i)
            values << fetch.column(i);
        insert.reset();
        insert.bind(values);
        insert.next();
        if (insert.failed())
            ++result.lost; // a damaged row that breaks the table's rules
        else
            ++result.rows;
    }
    return result;
}

// Beside the original: falmide-danneggiato-20261206-153000.db, never an
// existing file.
QString damagedCopyName(const QString& path)
{
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString base = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                         QStringLiteral("-danneggiato-") + stamp;
    QString name = base + suffix;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QStringLiteral("-%1").arg(n) + suffix;
    return name;
}

// Rebuilds the damaged file into staged; the tables with the rows recovered.
bool rebuild(SqliteFile& damaged, const StagedFile& staged, std::vector<TableRows>* tables,
             MaintenanceError* error)
{
    QList<QVariantList> rows;
    if (!damaged.rows(QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY rowid"),
                      {}, &rows)) {
        *error = sqliteFailure(QStringLiteral("Impossibile leggere la struttura dell'archivio"),
                               damaged);
        return false;
    }
    std::vector<SchemaEntry> schema;
    for (const QVariantList& row : rows)
        schema.push_back(
            {row.value(0).toString(), row.value(1).toString(), row.value(2).toString()});

    SqliteFile out;
    if (!out.open(staged.path()) ||
        !out.exec(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN"))) {
        *error = sqliteFailure(QStringLiteral("Impossibile scrivere l'archivio riparato"), out);
        return false;
    }
    auto isOwnTable = [](const SchemaEntry& e) {
        return e.type == QLatin1String("table") && !e.name.startsWith(QLatin1String("sqlite_"));
    };
    for (const SchemaEntry& e : schema) {
        if (isOwnTable(e) && !out.exec(e.sql)) {
            *error = sqliteFailure(QStringLiteral("Impossibile ricreare la tabella %1").arg(e.name),
                                   out);
            return false;
        }
    }
    for (const SchemaEntry& e : schema)
        if (isOwnTable(e))
            tables->push_back(copyReadableRows(damaged, out, e.name));
    // Indexes, views and triggers come after the rows; an index that the
    // recovered rows no longer satisfy is left out rather than the rows.
    for (const SchemaEntry& e : schema)
        if (e.type != QLatin1String("table") && !e.sql.isEmpty())
            out.exec(e.sql);
    if (!out.exec(QStringLiteral("COMMIT"))) {
        *error = sqliteFailure(QStringLiteral("Impossibile scrivere l'archivio riparato"), out);
        return false;
    }
    std::sort(tables->begin(), tables->end(),
              [](const TableRows& a, const TableRows& b) { return a.table < b.table; });
    return true;
}

} // namespace

MaintenanceResult checkDatabase(const QString& path, bool quick)
{
    MaintenanceResult result;
    result.file = path;
    MaintenanceError error;
    if (!isDatabaseFile(path, &error))
        return failed(result, error);
    SqliteFile db;
    if (!db.open(path))
        return failed(
            result,
            sqliteFailure(QStringLiteral("Impossibile aprire l'archivio %1").arg(path), db));
    result.problems = integrityProblems(db, quick);
    result.damaged = !result.problems.isEmpty();
    if (const auto counted = countRows(db, &error))
        result.tables = *counted;
    else if (!result.damaged)
        return failed(result, error);
    result.ok = true;
    return result;
}

MaintenanceResult repairDatabase(const QString& path)
{
    MaintenanceResult result;
    result.file = path;
    MaintenanceError error;
    if (!isDatabaseFile(path, &error))
        return failed(result, error);

    StagedFile staged(path);
    {
        SqliteFile damaged;
        if (!damaged.open(path))
            return failed(
                result, sqliteFailure(QStringLiteral("Impossibile aprire l'archivio %1").arg(path),
                                      damaged));
        result.problems = integrityProblems(damaged, false);
        if (result.problems.isEmpty()) {
            // Nothing to mend: the file stays as it is.
            if (const auto counted = countRows(damaged, &error))
                result.tables = *counted;
            else
                return failed(result, error);
            result.ok = true;
            return result;
        }
        result.damaged = true;
        QString stagedError;
        if (!staged.create(&stagedError))
            return failed(result, failure(stagedError, EIO));
        if (!rebuild(damaged, staged, &result.tables, &error))
            return failed(result, error);
    }
    if (!verifyCopy(staged.path(), result.tables, &error))
        return failed(result, error);
    copyPermissions(path, staged.path());

    const QString kept = damagedCopyName(path);
    if (!keepCopyAs(path, kept, false, &error))
        return failed(result, error);
    // A journal SQLite could not roll back belongs to the damaged file: left
    // under the database's name it would be played into the rebuilt one.
    for (const char* tail : {"-journal", "-wal", "-shm"}) {
        const QString journal = path + QLatin1String(tail);
        if (QFileInfo::exists(journal) &&
            std::rename(QFile::encodeName(journal).constData(),
                        QFile::encodeName(kept + QLatin1String(tail)).constData()) != 0)
            return failed(result, systemFailure(QStringLiteral("Impossibile spostare il giornale "
                                                               "dell'archivio %1")
                                                    .arg(journal),
                                                errno));
    }
    QString stagedError;
    if (!staged.commit(&stagedError))
        return failed(result, failure(stagedError, EIO));
    result.keptFile = kept;
    result.ok = true;
    return result;
}
