#include "CopyRestore.h"

#include "DailyCopies.h"
#include "Database.h"
#include "DocumentKey.h"
#include "MaintenanceSupport.h"
#include "SqliteFile.h"
#include "StagedFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <map>
#include <set>
#include <sqlite3.h>

using namespace maintenance;

namespace {

struct KeyedTable
{
    const char* name;
    const char* lost;    // after a repair
    const char* missing; // from the copy
    bool document;
};

const KeyedTable kTables[] = {
    {"Fatture", "Fatture non recuperate", "Fatture assenti dalla copia", true},
    {"Parcelle", "Parcelle non recuperate", "Parcelle assenti dalla copia", true},
    {"Movimenti", "Movimenti non recuperati", "Movimenti assenti dalla copia", true},
    {"Clienti", "Clienti non recuperati", "Clienti assenti dalla copia", false},
    {"Fornitori", "Fornitori non recuperati", "Fornitori assenti dalla copia", false},
};

constexpr int kMostListed = 30;

std::set<QString> keysOf(SqliteFile& file, const char* table)
{
    QList<QVariantList> rows;
    file.rows(QStringLiteral("SELECT Chiave FROM \"%1\"").arg(QLatin1String(table)), {}, &rows);
    std::set<QString> keys;
    for (const QVariantList& row : rows)
        keys.insert(row.value(0).toString());
    return keys;
}

// 2022/4–2022/19, 2023/1: a year's consecutive numbers as one range.
QString documentRanges(const std::set<QString>& keys)
{
    std::map<int, std::vector<qint64>> byYear;
    for (const QString& stored : keys)
        if (const auto key = DocumentKey::fromStored(stored))
            byYear[key->year()].push_back(key->number());
    QStringList ranges;
    for (auto& [year, numbers] : byYear) {
        std::sort(numbers.begin(), numbers.end());
        for (std::size_t i = 0; i < numbers.size();) {
            std::size_t j = i;
            while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
                ++j;
            ranges
                << (i == j
                        ? QStringLiteral("%1/%2").arg(year).arg(numbers[i])
                        : QStringLiteral("%1/%2–%1/%3").arg(year).arg(numbers[i]).arg(numbers[j]));
            i = j + 1;
        }
    }
    return ranges.join(QStringLiteral(", "));
}

QString codes(const std::set<QString>& keys)
{
    QStringList list;
    for (const QString& key : keys) {
        if (list.size() == kMostListed) {
            list << QStringLiteral("e altri %1").arg(keys.size() - kMostListed);
            break;
        }
        list << key.trimmed();
    }
    return list.join(QStringLiteral(", "));
}

MaintenanceResult failed(MaintenanceResult result, const MaintenanceError& error)
{
    result.ok = false;
    result.error = error;
    return result;
}

QString replacedName(const QString& path)
{
    const QFileInfo info(path);
    const QString base = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                         QStringLiteral("-sostituito-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString name = base + suffix;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QStringLiteral("-%1").arg(n) + suffix;
    return name;
}

} // namespace

QStringList recordsMissing(const QString& reference, const QString& other, MissingAs as)
{
    SqliteFile from;
    SqliteFile in;
    if (!from.open(reference, true) || !in.open(other, true))
        return {};
    QStringList lines;
    for (const KeyedTable& table : kTables) {
        const std::set<QString> present = keysOf(in, table.name);
        std::set<QString> missing;
        for (const QString& key : keysOf(from, table.name))
            if (!present.count(key))
                missing.insert(key);
        if (missing.empty())
            continue;
        lines << QStringLiteral("%1: %2").arg(
            QString::fromUtf8(as == MissingAs::LostByRepair ? table.lost : table.missing),
            table.document ? documentRanges(missing) : codes(missing));
    }
    return lines;
}

std::optional<CopyOffer> copyOffer(const QString& repaired, const QString& dataFolder,
                                   const QDate& today)
{
    for (const auto& [day, path] : dailyCopies(dataFolder)) {
        if (day > today)
            continue;
        const MaintenanceResult check = checkDatabase(path, true);
        if (!check.ok || check.damaged)
            continue;
        return CopyOffer{day, path, recordsMissing(path, repaired, MissingAs::LostByRepair),
                         recordsMissing(repaired, path, MissingAs::MissingFromCopy)};
    }
    return std::nullopt;
}

MaintenanceResult restoreDatabase(const QString& copy, const QString& given)
{
    MaintenanceResult result;
    result.file = given;
    const QString database = linkTarget(given);
    const MaintenanceResult check = checkDatabase(copy);
    if (!check.ok)
        return check;
    if (check.damaged)
        return failed(result, failure(QStringLiteral("La copia %1 è danneggiata: %2")
                                          .arg(copy, check.problems.join(QStringLiteral("; "))),
                                      SQLITE_CORRUPT));
    {
        Database db;
        QString reason;
        if (!db.openForCheck(copy, &reason))
            return failed(result, failure(QStringLiteral("La copia %1 non può sostituire "
                                                         "l'archivio: %2")
                                              .arg(copy, reason),
                                          EINVAL));
    }
    // The copy is written anew beside the database and checked there, so
    // the copy itself is never moved or changed.
    StagedFile staged(database);
    QString stagedError;
    MaintenanceError error;
    if (!staged.create(&stagedError))
        return failed(result, failure(stagedError, EIO));
    const MaintenanceResult written = backupDatabase(copy, staged.path());
    if (!written.ok)
        return written;
    if (QFileInfo::exists(database)) {
        copyPermissions(database, staged.path());
        const QString kept = replacedName(database);
        if (!keepCopyAs(database, kept, false, &error))
            return failed(result, error);
        result.keptFile = kept;
    }
    if (!staged.commit(&stagedError))
        return failed(result, failure(stagedError, EIO));
    result.tables = written.tables;
    result.ok = true;
    return result;
}
