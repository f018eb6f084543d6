#pragma once

#include <QString>

// One program at a time on a data folder: two would each read a record,
// change it and write it back over the other's change. The lock is the
// operating system's lock on the file falmide.lock in the data folder, held
// while the object lives: the kernel lets it go when the process ends,
// however it ends, so a program that was killed or a power cut never locks
// the user out, whatever the file holds. What it says (the process holding
// it) only serves the message; it is removed when the lock is let go.
class InstanceLock
{
public:
    explicit InstanceLock(const QString& dataFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False, with the reason, when another program holds the folder or the
    // lock file cannot be made (a read-only folder, a full disk).
    bool acquire(QString* error);
    QString path() const { return m_path; }

private:
    QString m_folder;
    QString m_path;
    int m_fd = -1;
};
