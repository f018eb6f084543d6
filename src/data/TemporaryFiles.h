#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The hidden temporaries the program writes beside a file before renaming
// them into its place (StagedFile) are named ".<name>.<process>.XXXXXX" and
// locked with the operating system's file lock while their writer lives. A
// writer that was killed leaves them behind; these helpers find and remove
// them, and remove a process's own when it is ended by a signal.

// ".<name>.<this process>.XXXXXX", in the folder of target.
QString temporaryPattern(const QString& target);

// Removes from folder this user's temporaries whose writer has ended: their
// lock is free and their process is gone (or they have not been touched for
// a minute: a process number used again). The embedded database engine's
// journal of such a temporary goes with it. Nothing else is touched; links are not followed.
// In a `shared` folder a writer on another desk may show neither its
// process nor (on some network file systems) its lock here: only
// temporaries untouched for a day are taken for stale there.
// Returns the names removed.
QStringList removeStaleTemporaries(const QString& folder, bool shared = false);

// The same in a data folder, the folder itself and Backup/, and in its
// archive folder (ArchiveFolder.h): Stampe/ and each year of Fatture/ and
// Ricevute/. An archive folder other than the data folder is shared.
QStringList removeStaleDataFolderTemporaries(const QString& dataFolder,
                                             const QString& archiveFolder);

// What a process ended by a signal must remove on its way out: the files
// (with their journals) and folders registered here while they are being
// written. Safe to call from any thread.
void registerTemporary(const QString& path, bool folder = false);
void forgetTemporary(const QString& path);
// Removes everything registered and keeps anything new from being
// registered (or created through registerTemporaryCreation) from then on.
void removeRegisteredTemporaries();
// Runs create (which makes the file and returns its path, empty on failure)
// and registers the result in one step, so that a signal handled meanwhile
// never leaves the file behind.
QString registerTemporaryCreation(const std::function<QString()>& create);

// For a program without an event loop (the commands): SIGTERM, SIGINT and
// SIGHUP are taken by a thread of their own, which removes what is
// registered and then ends the process by the same signal. Call before any
// other thread is started: they inherit the blocked signals.
void removeTemporariesOnTermination();
