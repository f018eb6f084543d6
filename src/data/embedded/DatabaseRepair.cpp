// Checking and repairing a database file. A damaged file is rebuilt from
// what SQLite still reads of each table, row by row past the pages it cannot
// read, and from what the file's pages hold where SQLite cannot reach them
// (PageSalvage.h), into a new file with the damaged file's schema and the
// program's own tables.
#include "DatabaseMaintenance.h"
#include "MaintenanceSupport.h"
#include "PageSalvage.h"
#include "RowPlacement.h"
#include "Schema.h"
#include "SqliteDialect.h"
#include "SqliteFile.h"
#include "StagedFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <sqlite3.h>

using namespace maintenance;

namespace {

QString quoted(const QString& identifier)
{
    return embeddedDialect().quoted(identifier);
}

MaintenanceResult failed(MaintenanceResult result, const MaintenanceError& error)
{
    result.ok = false;
    result.error = error;
    return result;
}

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

// The rows of the table SQLite can still read, by rowid; *lost counts the
// rows it lists but cannot read. False when the disk failed.
bool readableRows(SqliteFile& damaged, const QString& table, std::map<qint64, QVariantList>* rows,
                  qint64* lost, MaintenanceError* error)
{
    SqliteStatement fetch(damaged,
                          QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quoted(table)));
    if (!fetch.prepared())
        return true;
    for (const qint64 rowid : RowidFinder(damaged, table).find()) {
        fetch.reset();
        fetch.bind({rowid});
        if (fetch.next()) {
            QVariantList values;
            bool whole = true;
            for (int i = 0; i < fetch.columnCount(); ++i) {
                values << fetch.column(i);
                // SQLite hands on the bytes of a damaged overflow page as
                // they are: text that is no text is damage.
                if (values.back().typeId() == QMetaType::QString &&
                    values.back().toString().contains(QChar::ReplacementCharacter))
                    whole = false;
            }
            if (whole)
                rows->emplace(rowid, std::move(values));
            else
                ++*lost;
        } else if (fetch.failed()) {
            if (!isDamageCode(damaged.errorCode())) {
                *error = busyOrFailure(damaged);
                return false;
            }
            ++*lost;
        }
    }
    return true;
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

// A table of the rebuilt file: how it is made and the rows found for it.
struct RebuiltTable
{
    QString name;
    QString create;
    quint32 root = 0;              // in the damaged file; 0 when unknown
    const TableDef* def = nullptr; // when it is one of the program's
    std::map<qint64, QVariantList> rows;
    qint64 lost = 0;
};

const TableDef& versionTable()
{
    static const TableDef table{
        QStringLiteral("SchemaVersion"), {{QStringLiteral("Version"), FieldType::Long, 4}}, false};
    return table;
}

// The tables of the rebuilt file: each table of the damaged file's schema as
// far as it can be read, as that schema makes it; each of the program's
// tables the schema no longer shows, as the program makes it: the program
// knows its tables without the damaged file's help.
std::vector<RebuiltTable> plannedTables(SqliteFile& damaged, PageSalvage& salvage)
{
    std::vector<PageSalvage::SchemaRow> schema;
    QList<QVariantList> rows;
    if (damaged.rows(QStringLiteral("SELECT type, name, rootpage, sql FROM sqlite_master"), {},
                     &rows)) {
        for (const QVariantList& row : rows)
            schema.push_back({row.value(0).toString(), row.value(1).toString(),
                              quint32(row.value(2).toLongLong()), row.value(3).toString()});
    } else {
        schema = salvage.schema();
    }
    std::vector<const TableDef*> own{&versionTable()};
    for (const TableDef& t : schemaTables())
        own.push_back(&t);
    std::vector<RebuiltTable> tables;
    for (const PageSalvage::SchemaRow& e : schema) {
        if (e.type != QLatin1String("table") || e.name.startsWith(QLatin1String("sqlite_")) ||
            !e.sql.startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive))
            continue;
        RebuiltTable table{e.name, e.sql, e.rootPage, nullptr, {}, 0};
        for (const TableDef* def : own)
            if (def->name.compare(e.name, Qt::CaseInsensitive) == 0)
                table.def = def;
        tables.push_back(std::move(table));
    }
    for (const TableDef* def : own) {
        const bool present = std::any_of(tables.begin(), tables.end(), [def](const auto& t) {
            return t.name.compare(def->name, Qt::CaseInsensitive) == 0;
        });
        if (!present)
            tables.push_back({def->name,
                              def == &versionTable()
                                  ? versionTableStatement(embeddedDialect())
                                  : createStatements(*def, embeddedDialect()).constFirst(),
                              0,
                              def,
                              {},
                              0});
    }
    return tables;
}

// Rows of leaf pages no table's tree reaches, placed by what they hold.
void placeOrphans(PageSalvage& salvage, std::vector<RebuiltTable>* tables)
{
    std::vector<const TableDef*> defs;
    std::vector<RebuiltTable*> targets;
    for (RebuiltTable& t : *tables)
        if (t.def) {
            defs.push_back(t.def);
            targets.push_back(&t);
        }
    for (const quint32 page : salvage.orphanLeaves()) {
        qint64 unreadable = 0;
        const std::vector<PageSalvage::Row> rows = salvage.leafRows(page, &unreadable);
        std::vector<QVariantList> values;
        for (const PageSalvage::Row& row : rows)
            values.push_back(row.values);
        const int chosen = tableOfPage(defs, values);
        if (chosen < 0)
            continue;
        RebuiltTable& target = *targets[std::size_t(chosen)];
        target.lost += unreadable;
        for (const PageSalvage::Row& row : rows) {
            if (fitsTable(*target.def, row.values))
                target.rows.emplace(row.rowid, row.values);
            else
                ++target.lost;
        }
    }
}

// Writes the rows of one table into out; its recovered rows, or nothing
// when the table itself could not be made.
std::optional<TableRows> writeRows(SqliteFile& out, const RebuiltTable& table)
{
    QList<QVariantList> columns;
    if (!out.rows(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table.name)), {}, &columns) ||
        columns.isEmpty())
        return std::nullopt;
    // An INTEGER PRIMARY KEY is the rowid itself: a page stores no value for it.
    int alias = -1;
    int keys = 0;
    QStringList names{QStringLiteral("rowid")};
    QStringList marks{QStringLiteral("?")};
    for (int i = 0; i < columns.size(); ++i) {
        const QVariantList& c = columns.at(i);
        names << quoted(c.value(1).toString());
        marks << QStringLiteral("?");
        if (c.value(5).toInt() > 0) {
            ++keys;
            if (c.value(2).toString().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                alias = i;
        }
    }
    if (keys != 1)
        alias = -1;
    SqliteStatement insert(out, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(quoted(table.name), names.join(QLatin1Char(',')),
                                         marks.join(QLatin1Char(','))));
    TableRows result{table.name, 0, table.lost};
    for (const auto& [rowid, found] : table.rows) {
        QVariantList values = found.mid(0, columns.size());
        while (values.size() < columns.size())
            values << QVariant(); // written before columns were appended
        if (found.size() > columns.size()) {
            ++result.lost;
            continue;
        }
        if (alias >= 0)
            values[alias] = rowid;
        insert.reset();
        insert.bind(QVariantList{rowid} + values);
        insert.next();
        if (!insert.failed())
            ++result.rows;
        else if ((out.errorCode() & 0xff) != SQLITE_CONSTRAINT ||
                 (out.errorCode() != SQLITE_CONSTRAINT_PRIMARYKEY &&
                  out.errorCode() != SQLITE_CONSTRAINT_UNIQUE))
            ++result.lost; // a damaged row that breaks the table's rules
        // else: an older copy of a row already taken, left on a stray page
    }
    return result;
}

// Rebuilds the damaged file into staged; the tables with the rows recovered.
bool rebuild(const QString& path, SqliteFile& damaged, const StagedFile& staged,
             std::vector<TableRows>* tables, MaintenanceError* error)
{
    PageSalvage salvage;
    if (!salvage.load(path, error))
        return false;
    // A file cut short is read as far as it goes.
    damaged.exec(QStringLiteral("PRAGMA writable_schema=ON"));
    std::vector<RebuiltTable> planned = plannedTables(damaged, salvage);

    // What SQLite reads first, then what its pages still hold.
    for (RebuiltTable& t : planned) {
        qint64 unreadable = 0;
        std::set<qint64> cut;
        auto pages = t.root != 0 ? salvage.treeRows(t.root, &unreadable, &cut)
                                 : std::map<qint64, QVariantList>();
        if (!readableRows(damaged, t.name, &t.rows, &t.lost, error))
            return false;
        // SQLite reads the missing end of a file cut short as zeros.
        for (const qint64 rowid : cut)
            t.rows.erase(rowid);
        for (auto& [rowid, values] : pages)
            if (!t.def || fitsTable(*t.def, values))
                t.rows.emplace(rowid, std::move(values));
        t.lost += unreadable;
    }
    placeOrphans(salvage, &planned);

    SqliteFile out;
    if (!out.open(staged.path()) ||
        !out.exec(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN"))) {
        *error = sqliteFailure(QStringLiteral("Impossibile scrivere l'archivio riparato"), out);
        return false;
    }
    for (const RebuiltTable& t : planned) {
        if (!out.exec(t.create)) {
            if (t.def) {
                *error = sqliteFailure(
                    QStringLiteral("Impossibile ricreare la tabella %1").arg(t.name), out);
                return false;
            }
            continue; // a table of another program whose statement was damaged
        }
        if (const auto written = writeRows(out, t))
            if (t.name != QLatin1String("SchemaVersion"))
                tables->push_back(*written);
    }
    // Without its version the file is taken for the earliest layout: the
    // program brings what it finds up to date when it opens it.
    if (out.value(QStringLiteral("SELECT count(*) FROM SchemaVersion")).toLongLong() == 0)
        out.exec(QStringLiteral("INSERT INTO SchemaVersion VALUES (1)"));
    // Indexes, views and triggers come after the rows; an index that the
    // recovered rows no longer satisfy is left out rather than the rows.
    QList<QVariantList> others;
    damaged.rows(QStringLiteral("SELECT sql FROM sqlite_master WHERE type <> 'table' AND sql "
                                "IS NOT NULL"),
                 {}, &others);
    for (const QVariantList& row : others)
        out.exec(row.value(0).toString());
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
    result.problems = integrityProblems(db, quick, &error);
    if (error.number != 0)
        return failed(result, error);
    result.damaged = !result.problems.isEmpty();
    if (const auto counted = countRows(db, &error))
        result.tables = *counted;
    else if (!result.damaged)
        return failed(result, error);
    result.ok = true;
    return result;
}

MaintenanceResult repairDatabase(const QString& given)
{
    MaintenanceResult result;
    result.file = given;
    // A link is repaired in the file it names, and its copy kept beside that.
    const QString path = linkTarget(given);
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
        result.problems = integrityProblems(damaged, false, &error);
        if (error.number != 0)
            return failed(result, error);
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
        if (!rebuild(path, damaged, staged, &result.tables, &error))
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
