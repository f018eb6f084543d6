#pragma once

#include <QString>

// The files a data folder keeps for the program: the database and its
// journals, the .BAK compaction leaves, the lock, the settings, the logo
// (in the archive folder its settings name, ArchiveFolder.h), the copies a
// repair keeps of a damaged database and the daily copies in Backup/. A
// file the user names for the program to write (a command's output, a copy
// of the database) must never replace one of them, under whatever name or
// link it is reached.

// Where a file the user names would really be written: the absolute path,
// every symbolic link of its last part followed as the shell's ">" follows
// them. Empty, with the sentence that says why, when it must not be
// written: it is one of `dataFolder`'s kept files (the same device and
// inode, or for a file not there yet the same folder and name), or it
// exists and is not a regular file (a folder, a device such as /dev/null, a
// FIFO, a socket). An empty dataFolder checks the second point alone.
QString checkedOutputPath(const QString& dataFolder, const QString& path, QString* error);

// Whether two paths reach the same existing file (device and inode).
bool isSameFile(const QString& a, const QString& b);
