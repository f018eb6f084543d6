#include "DailyCopies.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>

namespace {

const QRegularExpression& copyPattern()
{
    static const QRegularExpression pattern(QStringLiteral(R"(^falmide-(\d{4}-\d{2}-\d{2})\.db$)"));
    return pattern;
}

} // namespace

QString dailyCopyFolder(const QString& dataFolder)
{
    return dataFolder + QStringLiteral("/Backup");
}

QString dailyCopyPath(const QString& dataFolder, const QDate& day)
{
    return dailyCopyFolder(dataFolder) +
           QStringLiteral("/falmide-%1.db").arg(day.toString(Qt::ISODate));
}

bool dailyCopyDue(const QString& dataFolder, const QDate& today)
{
    return !QFileInfo::exists(dailyCopyPath(dataFolder, today));
}

bool isDailyCopyName(const QString& name)
{
    const auto match = copyPattern().match(name);
    return match.hasMatch() && QDate::fromString(match.captured(1), Qt::ISODate).isValid();
}

DailyCopyOutcome makeDailyCopy(const QString& database, const QString& dataFolder,
                               const QDate& today, int keep)
{
    DailyCopyOutcome outcome;
    if (!dailyCopyDue(dataFolder, today))
        return outcome;
    outcome.file = dailyCopyPath(dataFolder, today);

    const MaintenanceResult check = checkDatabase(database, true);
    if (!check.ok) {
        outcome.kind = DailyCopyOutcome::Kind::Failed;
        outcome.error = check.error;
        return outcome;
    }
    if (check.damaged) {
        outcome.kind = DailyCopyOutcome::Kind::Damaged;
        outcome.problems = check.problems;
        return outcome;
    }

    const QString folder = dailyCopyFolder(dataFolder);
    if (!QFileInfo(folder).isDir() &&
        !QDir(dataFolder)
             .mkdir(QStringLiteral("Backup"),
                    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        outcome.kind = DailyCopyOutcome::Kind::Failed;
        outcome.error = {QStringLiteral("Impossibile creare la cartella %1.").arg(folder), EACCES};
        return outcome;
    }
    const MaintenanceResult copy = backupDatabase(database, outcome.file);
    if (!copy.ok) {
        outcome.kind = DailyCopyOutcome::Kind::Failed;
        outcome.error = copy.error;
        return outcome;
    }
    outcome.kind = DailyCopyOutcome::Kind::Made;

    // The names sort by date; only files named as the program names its
    // copies are ever removed.
    QStringList copies;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name | QDir::Reversed))
        if (isDailyCopyName(name))
            copies << name;
    for (qsizetype i = keep; i < copies.size(); ++i)
        if (QFile::remove(folder + QLatin1Char('/') + copies.at(i)))
            outcome.removed << copies.at(i);
    return outcome;
}
