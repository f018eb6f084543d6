#include "PageFolder.h"

#include "TemporaryFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr auto kLockName = "/.lock";

bool allOf(QStringView text, bool (*test)(char16_t))
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [test](QChar c) { return test(c.unicode()); });
}

bool isAsciiDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isAsciiLetterOrDigit(char16_t c)
{
    return isAsciiDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// "falmide-<process id>-" and the six letters QTemporaryDir picks. Matched
// by hand: this runs before the main window shows, and a regular
// expression's compilation costs more than the whole folder walk.
bool isPageFolderName(QStringView name)
{
    constexpr QLatin1StringView prefix("falmide-");
    if (!name.startsWith(prefix))
        return false;
    const QStringView rest = name.mid(prefix.size());
    const qsizetype dash = rest.indexOf(u'-');
    return dash > 0 && allOf(rest.left(dash), isAsciiDigit) && rest.size() - dash - 1 == 6 &&
           allOf(rest.mid(dash + 1), isAsciiLetterOrDigit);
}

// True when nobody holds the folder's lock; the lock is then ours until fd
// is closed, so the owner cannot come back meanwhile.
bool ownerHasEnded(const QString& folder, int* fd)
{
    *fd = ::open(QFile::encodeName(folder + QLatin1String(kLockName)).constData(),
                 O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (*fd < 0)
        return false; // no lock file: not a folder this program finished making
    struct stat st;
    if (::fstat(*fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return ::flock(*fd, LOCK_EX | LOCK_NB) == 0;
}

} // namespace

bool isPrivateRuntimeFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    // A session's runtime folder is the user's alone; one that others may
    // enter, or that belongs to someone else, is no place for page files.
    return ::stat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0 && ::access(name.constData(), W_OK | X_OK) == 0;
}

QStringList pageFolderBases()
{
    QStringList bases;
    auto add = [&bases](const QString& value) {
        if (!value.isEmpty() && !bases.contains(value))
            bases << value;
    };
    add(qEnvironmentVariable("TEMP"));
    // Memory-backed and private to the session: pages are written and read
    // back many times and never need to outlive the run.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateRuntimeFolder(runtime))
        add(runtime);
    add(qEnvironmentVariable("TMPDIR"));
    if (!bases.contains(QStringLiteral("/tmp")))
        bases << QStringLiteral("/tmp");
    return bases;
}

PageFolder::PageFolder(const QStringList& bases)
{
    const QString name =
        QStringLiteral("/falmide-%1-XXXXXX").arg(QCoreApplication::applicationPid());
    for (const QString& base : bases) {
        if (!QFileInfo(base).isDir())
            continue;
        auto dir = std::make_unique<QTemporaryDir>(base + name);
        if (!dir->isValid())
            continue;
        m_dir = std::move(dir);
        m_base = base;
        break;
    }
    if (!m_dir)
        return;
    struct statfs fs;
    m_inMemory = ::statfs(QFile::encodeName(m_dir->path()).constData(), &fs) == 0 &&
                 (fs.f_type == TMPFS_MAGIC || fs.f_type == RAMFS_MAGIC);
    // A command ended by a signal takes its pages with it.
    registerTemporary(m_dir->path(), true);
    // Without the lock the folder still works; it is only not swept if this
    // process is killed.
    m_lockFd = ::open(QFile::encodeName(m_dir->path() + QLatin1String(kLockName)).constData(),
                      O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_lockFd >= 0 && ::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

PageFolder::~PageFolder()
{
    if (m_dir)
        forgetTemporary(m_dir->path());
    m_dir.reset();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool PageFolder::isValid() const
{
    return m_dir && m_dir->isValid();
}

QString PageFolder::path() const
{
    return m_dir ? m_dir->path() : QString();
}

QString PageFolder::spareFilePath(int index) const
{
    return path() + QStringLiteral("/spare-%1").arg(index);
}

namespace {

// Enough for a print run and one opened from its preview; more would only
// hold files and locks.
constexpr std::size_t kMostIdleFolders = 2;

std::vector<std::unique_ptr<PageFolder>>& idleFolders()
{
    static std::vector<std::unique_ptr<PageFolder>> folders;
    return folders;
}

bool isLive(const PageFolder& folder)
{
    return folder.isValid() && QFileInfo(folder.path()).isDir();
}

void dropDeadFolders()
{
    auto& folders = idleFolders();
    std::erase_if(folders, [](const std::unique_ptr<PageFolder>& f) { return !isLive(*f); });
}

// Folders are removed while the application still runs, before the
// statics they unregister from are gone.
void removeIdleFolders()
{
    idleFolders().clear();
}

} // namespace

std::unique_ptr<PageFolder> PageFolderPool::take(const QString& base)
{
    dropDeadFolders();
    auto& folders = idleFolders();
    for (auto it = folders.begin(); it != folders.end(); ++it) {
        if ((*it)->base() == base) {
            std::unique_ptr<PageFolder> folder = std::move(*it);
            folders.erase(it);
            return folder;
        }
    }
    return nullptr;
}

void PageFolderPool::give(std::unique_ptr<PageFolder> folder)
{
    if (!folder || !isLive(*folder) || !QCoreApplication::instance())
        return;
    static QCoreApplication* cleanupRegisteredFor = nullptr;
    if (cleanupRegisteredFor != QCoreApplication::instance()) {
        qAddPostRoutine(removeIdleFolders);
        cleanupRegisteredFor = QCoreApplication::instance();
    }
    dropDeadFolders();
    auto& folders = idleFolders();
    folders.push_back(std::move(folder));
    while (folders.size() > kMostIdleFolders)
        folders.erase(folders.begin());
}

void PageFolderPool::clear()
{
    removeIdleFolders();
}

int PageFolderPool::idleCount()
{
    dropDeadFolders();
    return int(idleFolders().size());
}

int removeStalePageFolders(const QStringList& bases, uid_t owner)
{
    int removed = 0;
    for (const QString& base : bases) {
        // In the order the system lists them: a shared /tmp can hold
        // thousands of entries, and sorting them would serve nothing.
        QDirIterator entries(base,
                             QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
        while (entries.hasNext()) {
            const QString folder = entries.next();
            if (!isPageFolderName(entries.fileName()))
                continue;
            struct stat st;
            if (::lstat(QFile::encodeName(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
                st.st_uid != owner)
                continue;
            int lockFd = -1;
            // QDir removes the links it finds inside, never what they point to.
            if (ownerHasEnded(folder, &lockFd) && QDir(folder).removeRecursively())
                ++removed;
            if (lockFd >= 0)
                ::close(lockFd);
        }
    }
    return removed;
}
