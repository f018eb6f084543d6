#pragma once

#include <QString>
#include <memory>

class QLockFile;

// One program at a time on a data folder: two would each read a record,
// change it and write it back over the other's change. The lock is a file
// in the data folder, held while the object lives; a lock left by a program
// that was killed is recognised as stale and taken over.
class InstanceLock
{
public:
    explicit InstanceLock(const QString& dataFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False, with the reason, when another program holds the folder.
    bool acquire(QString* error);

private:
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
};
