#include "DailyCopies.h"

#include "ArchiveTransfer.h"
#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <sys/stat.h>

namespace {

const QRegularExpression& copyPattern()
{
    static const QRegularExpression pattern(QStringLiteral(R"(^falmide-(\d{4}-\d{2}-\d{2})\.db$)"));
    return pattern;
}

// "<bytes> <seconds>.<nanoseconds>" of the file's last change.
QString stamp(const QString& database)
{
    struct stat st;
    if (::stat(QFile::encodeName(database).constData(), &st) != 0)
        return {};
    return QStringLiteral("%1 %2.%3")
        .arg(qint64(st.st_size))
        .arg(qint64(st.st_mtim.tv_sec))
        .arg(qint64(st.st_mtim.tv_nsec), 9, 10, QLatin1Char('0'));
}

bool makeCopyFolder(const QString& dataFolder, DailyCopyOutcome* outcome)
{
    const QString folder = dailyCopyFolder(dataFolder);
    if (QFileInfo(folder).isDir() ||
        QDir(dataFolder)
            .mkdir(QStringLiteral("Backup"),
                   QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return true;
    outcome->kind = DailyCopyOutcome::Kind::Failed;
    outcome->error = {QStringLiteral("Impossibile creare la cartella %1.").arg(folder), EACCES};
    return false;
}

// Once today's copy is made: only files named as the program names its
// copies are ever removed; a copy dated after today belongs to a clock that
// ran ahead and is the user's to judge.
void keepNewest(const QString& dataFolder, const QDate& today, int keep, DailyCopyOutcome* outcome)
{
    const QString folder = dailyCopyFolder(dataFolder);
    QStringList copies;
    for (const auto& [day, path] : dailyCopies(dataFolder)) {
        const QString name = QFileInfo(path).fileName();
        if (day > today)
            outcome->future << name;
        else
            copies << name;
    }
    for (qsizetype i = keep; i < copies.size(); ++i)
        if (QFile::remove(folder + QLatin1Char('/') + copies.at(i)))
            outcome->removed << copies.at(i);
}

const QString kSection = QStringLiteral("Archivio");
const QString kKey = QStringLiteral("Chiusura");

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
                               const QDate& today, int keep, const std::atomic<bool>* cancel)
{
    DailyCopyOutcome outcome;
    if (!dailyCopyDue(dataFolder, today))
        return outcome;
    outcome.file = dailyCopyPath(dataFolder, today);
    if (!makeCopyFolder(dataFolder, &outcome))
        return outcome;
    const MaintenanceResult copy = checkedPageCopy(database, outcome.file, cancel);
    if (!copy.ok) {
        outcome.kind = DailyCopyOutcome::Kind::Failed;
        outcome.error = copy.error;
        return outcome;
    }
    if (copy.damaged) {
        outcome.kind = DailyCopyOutcome::Kind::Damaged;
        outcome.problems = copy.problems;
        return outcome;
    }
    outcome.kind = DailyCopyOutcome::Kind::Made;
    keepNewest(dataFolder, today, keep, &outcome);
    return outcome;
}

DailyCopyOutcome makeDailyCopy(Database& database, const QString& dataFolder, const QDate& today,
                               int keep)
{
    DailyCopyOutcome outcome;
    if (!dailyCopyDue(dataFolder, today))
        return outcome;
    outcome.file = dailyCopyPath(dataFolder, today);
    if (!makeCopyFolder(dataFolder, &outcome))
        return outcome;
    QString error;
    if (!writeSnapshotFile(database, outcome.file, &error)) {
        outcome.kind = DailyCopyOutcome::Kind::Failed;
        outcome.error = {error, 0};
        return outcome;
    }
    outcome.kind = DailyCopyOutcome::Kind::Made;
    keepNewest(dataFolder, today, keep, &outcome);
    return outcome;
}

QList<QPair<QDate, QString>> dailyCopies(const QString& dataFolder)
{
    const QDir folder(dailyCopyFolder(dataFolder));
    QList<QPair<QDate, QString>> copies;
    // The names sort by date.
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name | QDir::Reversed))
        if (isDailyCopyName(name))
            copies.append({QDate::fromString(copyPattern().match(name).captured(1), Qt::ISODate),
                           folder.filePath(name)});
    return copies;
}

void recordCleanExit(const QString& settingsFile, const QString& database)
{
    const QString now = stamp(database);
    if (!now.isEmpty() && LeggiIni(kSection, kKey, settingsFile) != now)
        ScriviIni(kSection, kKey, settingsFile, now);
}

bool changedSinceCleanExit(const QString& settingsFile, const QString& database)
{
    return LeggiIni(kSection, kKey, settingsFile) != stamp(database);
}
