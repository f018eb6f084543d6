#pragma once

#include "DatabaseMaintenance.h"

#include <QDate>
#include <QString>
#include <QStringList>

// The copies of the database the program keeps by itself: one a day, made at
// the day's first start, in Backup/ of the data folder, the last seven kept.
struct DailyCopyOutcome
{
    enum class Kind {
        NotDue,  // today's copy is there already
        Made,    // written and checked
        Damaged, // the database failed its check: no copy was made
        Failed,  // the copy could not be written; error says why
    };
    Kind kind = Kind::NotDue;
    QString file;
    QStringList problems; // Damaged: what the check found
    MaintenanceError error;
    QStringList removed; // older copies removed
};

QString dailyCopyFolder(const QString& dataFolder);
// falmide-2026-12-06.db
QString dailyCopyPath(const QString& dataFolder, const QDate& day);
bool dailyCopyDue(const QString& dataFolder, const QDate& today);
// Whether a file of the copies' folder is named as a daily copy.
bool isDailyCopyName(const QString& name);

// Checks the database (SQLite's quick check) and, when it is sound and
// today's copy is missing, writes the copy and removes all but the newest
// `keep` copies. A damaged database is never copied over good copies.
DailyCopyOutcome makeDailyCopy(const QString& database, const QString& dataFolder,
                               const QDate& today, int keep = 7);
