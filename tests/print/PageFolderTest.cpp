#include "PrintTests.h"

#include "PageFolder.h"
#include "PageStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {

void touch(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("21\t 1 \t 1 \t 0 \tFattura 12/2026 Rossi\r\n");
}

// A folder as a run that was killed leaves it: its lock file nobody holds
// and a page.
QString leftBehind(const QDir& base, const QString& name)
{
    base.mkdir(name);
    touch(base.filePath(name + "/.lock"));
    touch(base.filePath(name + "/~WRK0000.Tmp"));
    return base.filePath(name);
}

qint64 endedProcessId()
{
    QProcess p;
    p.start("true", QStringList());
    p.waitForStarted();
    const qint64 pid = p.processId();
    p.waitForFinished();
    return pid;
}

} // namespace

void PageFolderTest::onlyFoldersOfEndedRunsAreSwept()
{
    QTemporaryDir baseDir, outsideDir;
    const QDir base(baseDir.path()), outside(outsideDir.path());
    const QString pid = QString::number(endedProcessId());
    const QString ended = leftBehind(base, "falmide-" + pid + "-aB3dE9");
    // A link inside leads out of the folder: the link goes, not its target.
    QVERIFY(outside.mkdir("victim"));
    touch(outside.filePath("victim/keep.txt"));
    QVERIFY(QFile::link(outside.filePath("victim"), ended + "/escape"));

    const PageFolder running({base.path()});
    QVERIFY(running.isValid());
    // Names that are not page folders, and page folders that are links.
    const QString unrelated[] = {
        leftBehind(base, "falmide-notes"), leftBehind(base, "altro-" + pid + "-aB3dE9"),
        base.filePath("falmide-2024-backup"), base.filePath("falmide-" + pid + "-Fi1e00"),
        // Near misses: letters short or long, no process, a sign in the letters.
        leftBehind(base, "falmide-" + pid + "-aB3dE"),
        leftBehind(base, "falmide-" + pid + "-aB3dE9x"), leftBehind(base, "falmide--aB3dE9"),
        leftBehind(base, "falmide-" + pid + "-aB3d.9")};
    QVERIFY(base.mkdir("falmide-2024-backup"));
    touch(unrelated[3]);
    const QString linked = leftBehind(outside, "target");
    QVERIFY(QFile::link(linked, base.filePath("falmide-" + pid + "-L1nk00")));
    const QString foreignLock = base.filePath("falmide-" + pid + "-L0ck00");
    QVERIFY(base.mkdir("falmide-" + pid + "-L0ck00"));
    touch(outside.filePath("free.lock"));
    QVERIFY(QFile::link(outside.filePath("free.lock"), foreignLock + "/.lock"));

    // Another user's folders are theirs.
    QCOMPARE(removeStalePageFolders({base.path()}, getuid() + 1), 0);
    QVERIFY(QFile::exists(ended + "/~WRK0000.Tmp"));

    QCOMPARE(removeStalePageFolders({base.path(), outside.path()}, getuid()), 1);
    QVERIFY(!QFileInfo::exists(ended));
    QVERIFY(QFile::exists(outside.filePath("victim/keep.txt")));
    QVERIFY(QFileInfo(running.path()).isDir());
    for (const QString& path : unrelated)
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    QVERIFY(QFileInfo(base.filePath("falmide-" + pid + "-L1nk00")).isSymLink());
    QVERIFY(QFile::exists(linked + "/~WRK0000.Tmp"));
    QVERIFY(QFile::exists(foreignLock));
}

void PageFolderTest::storeFolderIsLockedWhileItLives()
{
    QTemporaryDir base;
    const QByteArray oldTemp = qgetenv("TEMP");
    qputenv("TEMP", base.path().toLocal8Bit());
    auto store = std::make_unique<PageStore>();
    const QString folder = store->TempFolder();
    // The name the sweep looks for.
    QVERIFY2(QRegularExpression(QStringLiteral("/falmide-%1-[A-Za-z0-9]{6}$").arg(getpid()))
                 .match(folder)
                 .hasMatch(),
             qPrintable(folder));
    QVERIFY(folder.startsWith(base.path() + '/'));
    QVERIFY(QFile::exists(folder + "/.lock"));
    QCOMPARE(removeStalePageFolders(pageFolderBases(), getuid()), 0);
    QVERIFY(QFileInfo(folder).isDir());
    // Page files go with their store, as at the end of a printout.
    store.reset();
    QVERIFY(!QFileInfo::exists(folder));
    qputenv("TEMP", oldTemp);
}

namespace {

// Sets an environment variable for as long as it lives.
class ScopedVariable
{
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : m_name(name), m_old(qgetenv(name)), m_wasSet(qEnvironmentVariableIsSet(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedVariable()
    {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    QByteArray m_old;
    bool m_wasSet;
};

} // namespace

void PageFolderTest::runtimeFolderWhenPrivate()
{
    QTemporaryDir runtime, tmpdir;
    const ScopedVariable temp("TEMP", QByteArray());
    const ScopedVariable xdg("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const ScopedVariable tmp("TMPDIR", QFile::encodeName(tmpdir.path()));

    // A session's own folder comes before the shared ones.
    QCOMPARE(pageFolderBases(), (QStringList{runtime.path(), tmpdir.path(), "/tmp"}));
    {
        PageStore store;
        QVERIFY(store.TempFolder().startsWith(runtime.path() + "/falmide-"));
    }
    // An explicit TEMP still wins.
    {
        const ScopedVariable explicitTemp("TEMP", QFile::encodeName(tmpdir.path()));
        QCOMPARE(pageFolderBases(), (QStringList{tmpdir.path(), runtime.path(), "/tmp"}));
    }

    // A runtime folder others may enter, one that is a file, or one that is
    // not there, is passed over.
    QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadGroup |
                                                      QFile::ExeGroup));
    QVERIFY(!isPrivateRuntimeFolder(runtime.path()));
    QCOMPARE(pageFolderBases(), (QStringList{tmpdir.path(), "/tmp"}));
    {
        PageStore store;
        QVERIFY(store.TempFolder().startsWith(tmpdir.path() + "/falmide-"));
    }
    const QString file = tmpdir.filePath("not-a-folder");
    touch(file);
    QVERIFY(!isPrivateRuntimeFolder(file));
    QVERIFY(!isPrivateRuntimeFolder(tmpdir.filePath("missing")));
    QVERIFY(!isPrivateRuntimeFolder(QString()));
    QVERIFY(QFile::setPermissions(runtime.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(isPrivateRuntimeFolder(runtime.path()));
}
