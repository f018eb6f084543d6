#include "TemporaryFiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kUntouchedSeconds = 60;
constexpr qint64 kSharedUntouchedSeconds = 24 * 60 * 60;

const QRegularExpression& temporaryName()
{
    static const QRegularExpression pattern(QStringLiteral(R"(^\..+\.([0-9]+)\.[A-Za-z0-9]{6}$)"));
    return pattern;
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

bool processRuns(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// A regular file of this user, not a link; its status in *st.
bool ownFile(const QString& path, struct stat* st)
{
    return ::lstat(encoded(path).constData(), st) == 0 && S_ISREG(st->st_mode) &&
           st->st_uid == ::getuid();
}

bool writerHasEnded(const QString& path, qint64 pid, const struct stat& st)
{
    const int fd =
        ::open(encoded(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // A writer holds the lock from the moment the file is made but one
    // step: its process then still runs, and the file is new.
    const bool unlocked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    const qint64 age = QDateTime::currentSecsSinceEpoch() - qint64(st.st_mtime);
    return unlocked && (!processRuns(pid) || age > kUntouchedSeconds);
}

struct Registry
{
    std::mutex mutex;
    QStringList files;
    QStringList folders;
    bool closed = false;
};

Registry& registry()
{
    static Registry r;
    return r;
}

void removeNow(const QString& path)
{
    ::unlink(encoded(path).constData());
    ::unlink(encoded(path + QStringLiteral("-journal")).constData());
}

} // namespace

QString temporaryPattern(const QString& target)
{
    const QFileInfo info(target);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() +
           QStringLiteral(".%1.XXXXXX").arg(QCoreApplication::applicationPid());
}

QStringList removeStaleTemporaries(const QString& folder, bool shared)
{
    QStringList removed;
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!name.startsWith(QLatin1Char('.')))
            continue;
        const bool journal = name.endsWith(QLatin1String("-journal"));
        const QString main = journal ? name.chopped(8) : name;
        const auto match = temporaryName().match(main);
        if (!match.hasMatch())
            continue;
        const QString path = dir.filePath(name);
        struct stat st;
        if (!ownFile(path, &st) ||
            (shared &&
             QDateTime::currentSecsSinceEpoch() - qint64(st.st_mtime) <= kSharedUntouchedSeconds))
            continue;
        const qint64 pid = match.captured(1).toLongLong();
        if (journal) {
            // Its temporary is gone (or goes below): the database engine left it.
            struct stat mainStatus;
            if (::lstat(encoded(dir.filePath(main)).constData(), &mainStatus) == 0 ||
                processRuns(pid))
                continue;
        } else if (!writerHasEnded(path, pid, st)) {
            continue;
        }
        if (::unlink(encoded(path).constData()) == 0)
            removed << name;
        if (!journal && ::unlink(encoded(path + QStringLiteral("-journal")).constData()) == 0)
            removed << name + QStringLiteral("-journal");
    }
    return removed;
}

QStringList removeStaleDataFolderTemporaries(const QString& dataFolder,
                                             const QString& archiveFolder)
{
    const bool shared = QDir::cleanPath(archiveFolder) != QDir::cleanPath(dataFolder);
    QStringList folders{archiveFolder + QStringLiteral("/Stampe")};
    // The invoice archive and the suppliers' files kept, by year.
    for (const QString& kept : {QStringLiteral("/Fatture"), QStringLiteral("/Ricevute")}) {
        const QDir years(archiveFolder + kept);
        for (const QString& year :
             years.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks))
            folders << years.filePath(year);
    }
    QStringList removed;
    for (const QString& folder : folders)
        for (const QString& name : removeStaleTemporaries(folder, shared))
            removed << folder + QLatin1Char('/') + name;
    for (const QString& folder : {dataFolder, dataFolder + QStringLiteral("/Backup")})
        for (const QString& name : removeStaleTemporaries(folder))
            removed << folder + QLatin1Char('/') + name;
    return removed;
}

void registerTemporary(const QString& path, bool folder)
{
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    (folder ? r.folders : r.files) << path;
}

void forgetTemporary(const QString& path)
{
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    r.files.removeAll(path);
    r.folders.removeAll(path);
}

QString registerTemporaryCreation(const std::function<QString()>& create)
{
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    const QString path = create();
    if (!path.isEmpty()) {
        if (r.closed)
            removeNow(path);
        else
            r.files << path;
    }
    return path;
}

void removeRegisteredTemporaries()
{
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    r.closed = true;
    for (const QString& file : std::as_const(r.files))
        removeNow(file);
    for (const QString& folder : std::as_const(r.folders))
        QDir(folder).removeRecursively();
    r.files.clear();
    r.folders.clear();
}

void removeTemporariesOnTermination()
{
    static sigset_t g_termination;
    sigemptyset(&g_termination);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&g_termination, signal);
    if (pthread_sigmask(SIG_BLOCK, &g_termination, nullptr) != 0)
        return;
    pthread_t thread;
    const auto wait = [](void*) -> void* {
        int signal = 0;
        if (sigwait(&g_termination, &signal) != 0)
            return nullptr;
        removeRegisteredTemporaries();
        std::signal(signal, SIG_DFL);
        pthread_sigmask(SIG_UNBLOCK, &g_termination, nullptr);
        ::raise(signal);
        return nullptr;
    };
    if (pthread_create(&thread, nullptr, wait, nullptr) == 0)
        pthread_detach(thread);
}
