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

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    int m_lockFd = -1;
};

// Removes the page folders in bases that belong to owner and whose process
// has ended (nobody holds their lock). Anything else is left alone, and
// symbolic links are never followed. Returns the number removed.
int removeStalePageFolders(const QStringList& bases, uid_t owner);
