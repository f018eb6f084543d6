#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <sys/types.h>

class QTemporaryDir;

// The temporary folders a page folder may live in, in the order tried:
// $TEMP, $XDG_RUNTIME_DIR when isPrivateRuntimeFolder(), $TMPDIR, /tmp.
QStringList pageFolderBases();

// Whether path is a folder of this user's that nobody else may enter and
// that this user can write in.
bool isPrivateRuntimeFolder(const QString& path);

// One run's private folder of page files (mode 0700), named after the
// process. A lock file inside is held for as long as the folder lives, so
// that a later run can tell the folder of a process that was killed.
class PageFolder
{
public:
    // Made under the first base where that works; isValid() tells.
    explicit PageFolder(const QStringList& bases);
    ~PageFolder();
    PageFolder(const PageFolder&) = delete;
    PageFolder& operator=(const PageFolder&) = delete;

    bool isValid() const;
    QString path() const;
    // The temporary folder it was made in.
    QString base() const { return m_base; }

    // Emptied page files kept under other names for the next document, so
    // that a report of a thousand pages does not make a thousand new files
    // each time it is printed: on a disk file system a new file costs far
    // more after many deletions.
    QString spareFilePath(int index) const;
    int spareCount() const { return m_spares; }
    void setSpareCount(int count) { m_spares = count; }
    // Whether the folder is in memory (tmpfs): its spare files are emptied,
    // which frees the memory and costs nothing. On a disk they keep their
    // bytes until written over, since a file emptied and written again is
    // flushed to the disk when closed.
    bool inMemory() const { return m_inMemory; }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_base;
    int m_lockFd = -1;
    int m_spares = 0;
    bool m_inMemory = false;
};

// The folders of page stores that have ended, with their spare files, kept
// until the application ends for the stores that follow. Without an
// application a folder given back is removed at once.
namespace PageFolderPool {
// A live folder made under base, or nullptr.
std::unique_ptr<PageFolder> take(const QString& base);
void give(std::unique_ptr<PageFolder> folder);
// Removes the folders that wait.
void clear();
// How many folders wait; for the tests.
int idleCount();
} // namespace PageFolderPool

// Removes the page folders in bases that belong to owner and whose process
// has ended (nobody holds their lock). Anything else is left alone, and
// symbolic links are never followed. Returns the number removed.
int removeStalePageFolders(const QStringList& bases, uid_t owner);
