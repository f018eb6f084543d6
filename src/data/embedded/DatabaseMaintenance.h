#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <vector>

// The care of the embedded engine's file: copies, compaction, checks and
// repair. It is SQLite's by nature (its files, its checks, its pages) and
// works on files by path, never through the program's open database.

// Why a maintenance routine failed: a sentence in Italian and a number, the
// SQLite result code or the system's error number.
struct MaintenanceError
{
    QString description;
    int number = 0;
};

// The rows of one table of a database file.
struct TableRows
{
    QString table;
    qint64 rows = 0;
    // Repair: rows the damaged file still listed but whose data could not
    // be read.
    qint64 lost = 0;
};

struct MaintenanceResult
{
    bool ok = false;
    MaintenanceError error; // when not ok
    QString file;           // the file worked on
    // Compaction: the earlier file kept as the .BAK; repair: the damaged
    // original kept beside the rebuilt file.
    QString keptFile;
    // Compaction: the file's size before and after, in bytes.
    qint64 sizeBefore = 0;
    qint64 sizeAfter = 0;
    // Check and repair: the file was found damaged.
    bool damaged = false;
    // Check: what SQLite's check reported, a few lines at most.
    QStringList problems;
    // The tables of the resulting file (the checked or repaired file, the
    // compacted file, the copy) with their rows, by name.
    std::vector<TableRows> tables;
};

// None of these needs a window or the program's open database: they work on
// closed files by path, so that a window, the start-up and a command line
// can all call them. Every file they write is written under a temporary name
// in the target's folder, checked, and renamed only when complete: a failure
// at any step leaves the original in place, unchanged.

// The name of the copy compaction keeps: the file's extension replaced by
// ".BAK" (falmide.db gives falmide.BAK in the same folder).
QString backupFileName(const QString& path);

// Writes a compacted copy beside the file, checks it (integrity and the
// same rows in every table), keeps the old file as the .BAK and puts the
// copy in its place. A crash at any moment leaves the old file with the
// previous .BAK, or the new file with the old one as .BAK once
// finishInterruptedCompaction has run; the two are never one file under two
// names. A file its owner may not write is refused; a symbolic link is
// compacted in the file it names.
MaintenanceResult compactDatabase(const QString& path);

// Finishes or undoes a compaction of path that a crash cut short. Run,
// while nothing else works on the file, before it is opened.
void finishInterruptedCompaction(const QString& path);

// A consistent copy of a database (which may be open elsewhere in the
// program) written to target, checked before it takes the target's name.
MaintenanceResult backupDatabase(const QString& source, const QString& target);

// A copy of the database page for page, taken from one consistent state of
// it while the program may be working on it, then fully checked before it
// takes the target's name. Its pages being the source's own, the copy's
// check is the source's: a damaged source gives a result with damaged set
// and the problems found, and no copy. Setting *cancel, from any thread,
// stops the work soon after: a failure, with nothing left behind.
MaintenanceResult checkedPageCopy(const QString& source, const QString& target,
                                  const std::atomic<bool>* cancel = nullptr);

// SQLite's integrity check (or its quicker form, which skips the indexes'
// contents) and the rows of every table. A damaged file is a result with
// damaged set, not a failure.
MaintenanceResult checkDatabase(const QString& path, bool quick = false);

// Checks the file and, when it is damaged, rebuilds it from every row that
// can still be read; the damaged original is kept beside it. A sound file is
// left as it is. A file that is no database (a folder, an empty file, other
// bytes) is refused, and so is one the disk fails to read: that is no
// damage. A symbolic link is repaired in the file it names.
MaintenanceResult repairDatabase(const QString& path);

// What a check that found damage reports to the user: a sentence of ours,
// then the problems in the check's own words.
QString foundDamageReport(const QStringList& problems);

// One line per table for the user: "Clienti: 120 record" and, when some
// were lost, how many.
QStringList describeTables(const std::vector<TableRows>& tables);

// A file's size for the user, in decimal units with one decimal: "512
// byte", "96,4 kB", "24,1 MB", the decimal separator given.
QString describeSize(qint64 bytes, const QString& decimalSeparator);
