#include "MaintenanceSupport.h"

#include "SqliteDialect.h"
#include "SqliteFile.h"
#include "StagedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace maintenance {

namespace {

QString quoted(const QString& identifier)
{
    return embeddedDialect().quoted(identifier);
}

void syncFolder(const QString& path)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

bool copyContents(const QString& from, const QString& to, MaintenanceError* error)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = failure(
            QStringLiteral("Impossibile leggere il file %1: %2").arg(from, in.errorString()), EIO);
        return false;
    }
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = failure(
            QStringLiteral("Impossibile scrivere il file %1: %2").arg(to, out.errorString()), EIO);
        return false;
    }
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size()) {
            *error = failure(
                QStringLiteral("Impossibile scrivere il file %1: %2").arg(to, out.errorString()),
                EIO);
            return false;
        }
    }
    if (in.error() != QFile::NoError || !out.flush()) {
        *error =
            failure(QStringLiteral("Impossibile copiare il file %1 in %2.").arg(from, to), EIO);
        return false;
    }
    out.close();
    return true;
}

} // namespace

MaintenanceError failure(const QString& description, int number)
{
    return {description, number};
}

MaintenanceError busyOrFailure(const SqliteFile& file)
{
    const int code = file.errorCode() & 0xff;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        return {QStringLiteral("L'archivio è occupato: un altro programma lo sta scrivendo. "
                               "Riprovare più tardi (%1).")
                    .arg(file.errorText()),
                file.errorCode()};
    if (code == SQLITE_IOERR)
        return {QStringLiteral("Il disco non ha potuto leggere l'archivio: il controllo si è "
                               "fermato. L'archivio non è danneggiato per questo; controllare il "
                               "disco e riprovare (%1).")
                    .arg(file.errorText()),
                file.errorCode()};
    return {QStringLiteral("Impossibile controllare l'archivio: %1").arg(file.errorText()),
            file.errorCode()};
}

bool isBusy(const MaintenanceError& error)
{
    return (error.number & 0xff) == SQLITE_BUSY || (error.number & 0xff) == SQLITE_LOCKED;
}

MaintenanceError sqliteFailure(const QString& what, const SqliteFile& file)
{
    return {what + QStringLiteral(": ") + file.errorText(), file.errorCode()};
}

MaintenanceError systemFailure(const QString& what, int number)
{
    return {what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(number)), number};
}

bool isDatabaseFile(const QString& path, MaintenanceError* error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = failure(QStringLiteral("Il file %1 non esiste.").arg(path), ENOENT);
        return false;
    }
    if (info.isDir()) {
        *error = failure(QStringLiteral("%1 è una cartella, non un archivio.").arg(path), EISDIR);
        return false;
    }
    if (info.size() == 0) {
        *error = failure(QStringLiteral("Il file %1 è vuoto: non è un archivio.").arg(path),
                         SQLITE_NOTADB);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = failure(
            QStringLiteral("Impossibile leggere il file %1: %2").arg(path, file.errorString()),
            EACCES);
        return false;
    }
    static const QByteArray header("SQLite format 3\0", 16);
    if (file.read(header.size()) != header) {
        *error = failure(
            QStringLiteral("Il file %1 non è un archivio del programma (SQLite).").arg(path),
            SQLITE_NOTADB);
        return false;
    }
    return true;
}

std::optional<QStringList> tableNames(SqliteFile& file, MaintenanceError* error)
{
    QList<QVariantList> rows;
    if (!file.rows(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                  "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"),
                   {}, &rows)) {
        *error = sqliteFailure(QStringLiteral("Impossibile leggere l'elenco delle tabelle"), file);
        return std::nullopt;
    }
    QStringList names;
    for (const QVariantList& row : rows)
        names << row.value(0).toString();
    return names;
}

std::optional<std::vector<TableRows>> countRows(SqliteFile& file, MaintenanceError* error)
{
    const auto names = tableNames(file, error);
    if (!names)
        return std::nullopt;
    std::vector<TableRows> tables;
    for (const QString& name : *names) {
        QList<QVariantList> rows;
        if (!file.rows(QStringLiteral("SELECT count(*) FROM %1").arg(quoted(name)), {}, &rows) ||
            rows.isEmpty()) {
            *error = sqliteFailure(
                QStringLiteral("Impossibile contare i record della tabella %1").arg(name), file);
            return std::nullopt;
        }
        tables.push_back({name, rows.first().value(0).toLongLong(), 0});
    }
    return tables;
}

QStringList integrityProblems(SqliteFile& file, bool quick, MaintenanceError* failed)
{
    QList<QVariantList> rows;
    const bool ran = file.rows(quick ? QStringLiteral("PRAGMA quick_check(20)")
                                     : QStringLiteral("PRAGMA integrity_check(20)"),
                               {}, &rows);
    QStringList problems;
    for (const QVariantList& row : rows) {
        const QString line = row.value(0).toString();
        if (line != QLatin1String("ok"))
            problems << line;
    }
    if (!ran && !isDamageCode(file.errorCode())) {
        *failed = busyOrFailure(file);
        return {};
    }
    if (!ran)
        problems << file.errorText();
    else if (rows.isEmpty())
        problems << QStringLiteral("il controllo non ha dato risultati");
    return problems;
}

bool verifyCopy(const QString& path, const std::vector<TableRows>& expected,
                MaintenanceError* error)
{
    SqliteFile copy;
    if (!copy.open(path, true)) {
        *error = sqliteFailure(QStringLiteral("Impossibile aprire la copia %1").arg(path), copy);
        return false;
    }
    MaintenanceError checkFailed;
    const QStringList problems = integrityProblems(copy, false, &checkFailed);
    if (checkFailed.number != 0) {
        *error = checkFailed;
        return false;
    }
    if (!problems.isEmpty()) {
        *error = failure(QStringLiteral("La copia %1 non è integra: %2")
                             .arg(path, problems.join(QStringLiteral("; "))),
                         SQLITE_CORRUPT);
        return false;
    }
    const auto counted = countRows(copy, error);
    if (!counted)
        return false;
    for (const TableRows& want : expected) {
        const auto found =
            std::find_if(counted->begin(), counted->end(),
                         [&want](const TableRows& t) { return t.table == want.table; });
        const qint64 rows = found == counted->end() ? -1 : found->rows;
        if (rows != want.rows) {
            *error = failure(QStringLiteral("La copia %1 non contiene gli stessi record: tabella "
                                            "%2, %3 record invece di %4.")
                                 .arg(path, want.table)
                                 .arg(std::max<qint64>(rows, 0))
                                 .arg(want.rows),
                             SQLITE_CORRUPT);
            return false;
        }
    }
    return true;
}

bool keepCopyAs(const QString& original, const QString& kept, bool replace, MaintenanceError* error,
                bool fullCopy)
{
    const QFileInfo target(kept);
    QString linked;
    if (fullCopy) {
        // Straight to the copy below.
    } else if (!replace) {
        if (::link(encoded(original).constData(), encoded(kept).constData()) == 0) {
            syncFolder(kept);
            return true;
        }
        if (errno == EEXIST) {
            *error =
                systemFailure(QStringLiteral("Impossibile creare il file %1").arg(kept), EEXIST);
            return false;
        }
    } else {
        // Linked under a private name first, so that an earlier file of the
        // kept name is replaced in one step.
        for (int attempt = 0; attempt < 100 && linked.isEmpty(); ++attempt) {
            const QString candidate =
                target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                QStringLiteral(".%1").arg(QRandomGenerator::global()->generate(), 8, 16,
                                          QLatin1Char('0'));
            if (::link(encoded(original).constData(), encoded(candidate).constData()) == 0)
                linked = candidate;
            else if (errno != EEXIST)
                break;
        }
        if (!linked.isEmpty()) {
            if (std::rename(encoded(linked).constData(), encoded(kept).constData()) != 0) {
                const int code = errno;
                ::unlink(encoded(linked).constData());
                *error =
                    systemFailure(QStringLiteral("Impossibile creare il file %1").arg(kept), code);
                return false;
            }
            syncFolder(kept);
            return true;
        }
    }
    // The file system has no hard links: a full copy, written and checked
    // like every file the program writes.
    StagedFile staged(kept);
    QString stagedError;
    if (!staged.create(&stagedError)) {
        *error = failure(stagedError, EIO);
        return false;
    }
    if (!copyContents(original, staged.path(), error))
        return false;
    copyPermissions(original, staged.path());
    if (!staged.commit(&stagedError)) {
        *error = failure(stagedError, EIO);
        return false;
    }
    return true;
}

QString linkTarget(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? path : target;
}

void copyPermissions(const QString& model, const QString& path)
{
    QFile::setPermissions(path, QFileInfo(model).permissions());
}

} // namespace maintenance
