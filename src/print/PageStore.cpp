#include "PageStore.h"

#include "PageFolder.h"
#include "PageRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PageStore::PageStore(Folder folder) : m_folderKind(folder) {}

PageStore::~PageStore()
{
    if (m_folderKind != Folder::Reusable || !m_folder)
        return;
    DeletePageFiles();
    PageFolderPool::give(std::move(m_folder));
}

QString PageStore::TempFolder(QString* error)
{
    // A folder removed behind our back (a cleaner of old temporary files)
    // is made again.
    if (m_folder && m_folder->isValid() && QFileInfo(m_folder->path()).isDir())
        return m_folder->path();
    // A folder of our own, readable by this user only, under the first
    // usable temporary folder: never a predictable name in a shared place.
    const QStringList bases = pageFolderBases();
    for (const QString& base : bases) {
        if (!QFileInfo(base).isDir())
            continue;
        std::unique_ptr<PageFolder> folder;
        if (m_folderKind == Folder::Reusable)
            folder = PageFolderPool::take(base);
        if (!folder)
            folder = std::make_unique<PageFolder>(QStringList{base});
        if (folder->isValid()) {
            m_folder = std::move(folder);
            return m_folder->path();
        }
    }
    if (error)
        *error = QStringLiteral("Impossibile creare la cartella temporanea delle pagine in %1.")
                     .arg(bases.join(QStringLiteral(", ")));
    return {};
}

QString PageStore::pageFilePath(int page)
{
    const QString folder = TempFolder();
    return folder.isEmpty() ? QString()
                            : folder + QLatin1Char('/') + PageRecord::pageFileName(page);
}

QString PageStore::recordedPagePath(int page) const
{
    if (!m_folder || !m_folder->isValid())
        return {};
    return m_folder->path() + QLatin1Char('/') + PageRecord::pageFileName(page);
}

QString PageStore::reusePageFile(int page)
{
    const QString path = pageFilePath(page);
    if (path.isEmpty() || m_folder->spareCount() == 0)
        return path;
    const int spare = m_folder->spareCount() - 1;
    const QByteArray from = QFile::encodeName(m_folder->spareFilePath(spare));
    const QByteArray to = QFile::encodeName(path);
    // Never over a file that is there: whatever it is, it is not ours to
    // replace, and writing the page will say so.
    int moved = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (moved != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system that cannot promise it: looked at first instead.
        struct stat st;
        if (::lstat(to.constData(), &st) != 0 && errno == ENOENT)
            moved = ::rename(from.constData(), to.constData());
    }
    // A spare that is gone is not looked for again.
    if (moved == 0 || errno == ENOENT)
        m_folder->setSpareCount(spare);
    return path;
}

void PageStore::setAside(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int spare = m_folder->spareCount();
    struct stat st;
    // Only a plain file of the folder's is kept; a link is removed, never
    // followed.
    if (::lstat(name.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
        (!m_folder->inMemory() || ::truncate(name.constData(), 0) == 0) &&
        ::rename(name.constData(), QFile::encodeName(m_folder->spareFilePath(spare)).constData()) ==
            0) {
        m_folder->setSpareCount(spare + 1);
        return;
    }
    ::unlink(name.constData());
}

void PageStore::DeletePageFiles()
{
    if (!m_folder || !m_folder->isValid())
        return;
    const QDir dir(m_folder->path());
    const QStringList files = dir.entryList({QString::fromLatin1(PageRecord::kPageFilePattern)},
                                            QDir::Files | QDir::Hidden);
    for (const QString& name : files)
        setAside(dir.filePath(name));
}

void PageStore::deletePageFile(int page)
{
    const QString path = recordedPagePath(page);
    if (!path.isEmpty())
        setAside(path);
}
