#pragma once

#include <QString>

// A file written under a temporary name in its target's folder and put in
// the target's place in one step once it is complete, so that an earlier
// file of that name stays whole until then, whatever goes wrong. The file is
// readable and writable by its owner only: documents carry tax codes and
// amounts. While it is being written its name carries the process and the
// file holds a lock (TemporaryFiles.h): one left by a process that was
// killed is recognised and removed later.
class StagedFile
{
public:
    explicit StagedFile(QString target);
    // A file that was not committed is removed, and the embedded database
    // engine's journal of it.
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the empty temporary file; its path is then path().
    bool create(QString* error);
    QString path() const { return m_path; }
    // After the file under the temporary name was replaced as a whole (a
    // database built there by a staged creation of its own): the lock that
    // tells a live writer is taken on the new file.
    bool lockAgain(QString* error);
    // Whether commit() also waits until the target's folder, which holds
    // the new name, is on disk, or leaves that to the caller, who syncs it
    // once after putting several files in place (syncFolder).
    enum class FolderSync { Now, ByCaller };
    // Puts the written file on disk and in the target's place.
    bool commit(QString* error, FolderSync folder = FolderSync::Now);

    // Waits until the names in `folder` are on disk. A file system that
    // cannot sync a folder at all is taken at its word; false and why on
    // any other failure.
    static bool syncFolder(const QString& folder, QString* error);

private:
    void release();

    QString m_target;
    QString m_path;
    int m_lockFd = -1;
    bool m_committed = false;
};
