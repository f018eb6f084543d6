#include "KeptFiles.h"

#include "ArchiveFolder.h"
#include "DailyCopies.h"
#include "DataFolder.h"
#include "DatabaseMaintenance.h"
#include "Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <climits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct Identity
{
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> identityOf(const QString& path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return Identity{st.st_dev, st.st_ino};
}

// The real folder of a path whose last parts may not exist yet: the
// canonical path of its nearest existing folder, the rest added as written.
QString canonicalFolder(const QString& folder)
{
    QString existing = QDir::cleanPath(folder);
    QStringList rest;
    for (;;) {
        const QString canonical = QFileInfo(existing).canonicalFilePath();
        if (!canonical.isEmpty())
            return QDir::cleanPath(rest.isEmpty() ? canonical
                                                  : canonical + QLatin1Char('/') +
                                                        rest.join(QLatin1Char('/')));
        const QFileInfo info(existing);
        if (info.isRoot() || existing.isEmpty())
            return QDir::cleanPath(folder);
        rest.prepend(info.fileName());
        existing = info.absolutePath();
    }
}

// The links of the path's last part followed, as open() follows them; a
// link loop stops where it is, and the write then fails on its own.
QString followLinks(QString path)
{
    for (int hops = 0; hops < 40; ++hops) {
        const QByteArray encoded = QFile::encodeName(path);
        struct stat st
        {
        };
        if (::lstat(encoded.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(encoded.constData(), buffer, sizeof buffer);
        if (length <= 0 || length == ssize_t(sizeof buffer))
            return path;
        const QString target = QFile::decodeName(QByteArray(buffer, int(length)));
        // A relative target starts from the link's real folder, not from
        // the spelling that reached it.
        path = QDir::cleanPath(QDir::isAbsolutePath(target)
                                   ? target
                                   : canonicalFolder(QFileInfo(path).absolutePath()) +
                                         QLatin1Char('/') + target);
    }
    return path;
}

QString exactName(const QString& name)
{
    return QLatin1Char('^') + QRegularExpression::escape(name) + QLatin1Char('$');
}

struct KeptName
{
    QRegularExpression pattern;
    QString what;
};

// The names the program keeps in the data folder itself.
const std::vector<KeptName>& keptInDataFolder()
{
    static const QString database = QLatin1String(kDatabaseFileName);
    static const QString base = QFileInfo(database).completeBaseName();
    static const std::vector<KeptName> names = {
        {QRegularExpression(exactName(database)), QStringLiteral("l'archivio del programma")},
        {QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(database) +
                            QStringLiteral("-(journal|wal|shm)$")),
         QStringLiteral("il giornale dell'archivio")},
        {QRegularExpression(exactName(QFileInfo(backupFileName(database)).fileName())),
         QStringLiteral("la copia .BAK dell'archivio")},
        {QRegularExpression(exactName(QLatin1String(kLockFileName))),
         QStringLiteral("il blocco della cartella dei dati")},
        {QRegularExpression(exactName(QLatin1String(kSettingsFileName))),
         QStringLiteral("il file delle impostazioni")},
        {QRegularExpression(exactName(QLatin1String(kLogoFileName))),
         QStringLiteral("il logo della carta intestata")},
        // The repair's copies: falmide-danneggiato-20261206-153000.db and
        // the journals moved beside them.
        {QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(base) +
                            QStringLiteral("-danneggiato-.+\\.db(-journal|-wal|-shm)?$")),
         QStringLiteral("un archivio danneggiato conservato dalla riparazione")},
    };
    return names;
}

struct KeptFolder
{
    enum Kind { Data, DailyCopies, Archive };
    QString path;
    Kind kind = Data;
};

std::optional<QString> keptAs(const KeptFolder& folder, const QString& name)
{
    if (folder.kind == KeptFolder::DailyCopies)
        return isDailyCopyName(name)
                   ? std::optional<QString>(QStringLiteral("una copia giornaliera dell'archivio"))
                   : std::nullopt;
    // A shared archive folder keeps the logo alone of the data folder's names.
    if (folder.kind == KeptFolder::Archive && name != QLatin1String(kLogoFileName))
        return std::nullopt;
    for (const KeptName& kept : keptInDataFolder())
        if (kept.pattern.match(name).hasMatch())
            return kept.what;
    return std::nullopt;
}

// The file as the user named it, and the kept file's own name when it differs.
QString refusal(const QString& given, const QString& kept, const QString& what)
{
    const QString shown = given == kept ? given : QStringLiteral("%1 (%2)").arg(given, kept);
    return QStringLiteral("%1 è %2: scegliere un altro file").arg(shown, what);
}

QString notRegular(const QString& given, mode_t mode)
{
    const QString what = S_ISDIR(mode)                    ? QStringLiteral("una cartella")
                         : S_ISCHR(mode) || S_ISBLK(mode) ? QStringLiteral("un dispositivo")
                         : S_ISFIFO(mode)                 ? QStringLiteral("una pipe (FIFO)")
                         : S_ISSOCK(mode)                 ? QStringLiteral("un socket")
                                                          : QStringLiteral("un file speciale");
    return QStringLiteral("%1 è %2, non un file normale: scegliere un altro file").arg(given, what);
}

} // namespace

QString checkedOutputPath(const QString& dataFolder, const QString& path, QString* error)
{
    const QString given = QDir::cleanPath(QDir(path).absolutePath());
    const QString target = followLinks(given);
    struct stat st
    {
    };
    const bool exists = ::stat(QFile::encodeName(target).constData(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        *error = notRegular(path, st.st_mode);
        return {};
    }
    if (dataFolder.isEmpty())
        return target;

    std::vector<KeptFolder> folders = {{dataFolder, KeptFolder::Data},
                                       {dailyCopyFolder(dataFolder), KeptFolder::DailyCopies}};
    const QString archive = archiveFolderPath(
        dataFolder,
        Settings(dataFolder + QLatin1Char('/') + QLatin1String(kSettingsFileName)).archiveFolder());
    if (archive != dataFolder)
        folders.push_back({archive, KeptFolder::Archive});
    // The same file under another name: a hard link, another spelling of
    // its folder.
    if (exists) {
        const Identity identity{st.st_dev, st.st_ino};
        for (const KeptFolder& folder : folders) {
            const QDir dir(folder.path);
            for (const QString& name :
                 dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
                const auto what = keptAs(folder, name);
                if (what && identityOf(dir.filePath(name)) == identity) {
                    *error = refusal(path, dir.filePath(name), *what);
                    return {};
                }
            }
        }
    }
    // A kept file not there yet (the lock while no program runs, tomorrow's
    // copy): its folder, however reached, and its name.
    const QString folderOfTarget = canonicalFolder(QFileInfo(target).absolutePath());
    const auto placeOfTarget = identityOf(folderOfTarget);
    const QString name = QFileInfo(target).fileName();
    for (const KeptFolder& folder : folders) {
        const QString real = canonicalFolder(folder.path);
        const auto place = identityOf(real);
        const bool sameFolder = real == folderOfTarget || (place && place == placeOfTarget);
        if (const auto what = sameFolder ? keptAs(folder, name) : std::nullopt) {
            *error = refusal(path, QDir(folder.path).filePath(name), *what);
            return {};
        }
    }
    return target;
}

bool isSameFile(const QString& a, const QString& b)
{
    const auto first = identityOf(a);
    return first && first == identityOf(b);
}
