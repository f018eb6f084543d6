#pragma once

#include "DatabaseMaintenance.h"

#include <QDate>
#include <QString>
#include <QStringList>

class Database;

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
    // Copies dated after today (a clock that ran ahead): left alone, and
    // never counted among the copies kept.
    QStringList future;
};

QString dailyCopyFolder(const QString& dataFolder);
// falmide-2026-12-06.db
QString dailyCopyPath(const QString& dataFolder, const QDate& day);
bool dailyCopyDue(const QString& dataFolder, const QDate& today);
// Whether a file of the copies' folder is named as a daily copy.
bool isDailyCopyName(const QString& name);
// The copies in Backup/ with their dates, newest first.
QList<QPair<QDate, QString>> dailyCopies(const QString& dataFolder);

// When today's copy is missing: copies the database and checks the copy in
// full (which checks the database: checkedPageCopy), and when it is sound
// removes all but the newest `keep` copies not after today. A damaged
// database is never copied over good copies. Setting *cancel, from any
// thread, stops the copy: Failed, and no file of today's name.
DailyCopyOutcome makeDailyCopy(const QString& database, const QString& dataFolder,
                               const QDate& today, int keep = 7,
                               const std::atomic<bool>* cancel = nullptr);
// The same for a database on a server, through its open connection: today's
// copy is a file of the embedded engine, under the same name, written from
// one consistent state of the server (ArchiveTransfer.h's snapshot file),
// so that it opens on any desk without the server. The server is never
// found damaged: it keeps its own integrity.
DailyCopyOutcome makeDailyCopy(Database& database, const QString& dataFolder, const QDate& today,
                               int keep = 7);

// A start after the day's copy checks the database again when it changed
// while the program was not running: its size and time of last change are
// recorded in the settings file ([Archivio] Chiusura) at each clean exit.
void recordCleanExit(const QString& settingsFile, const QString& database);
// Whether the database differs from what the last clean exit recorded (or
// none was recorded).
bool changedSinceCleanExit(const QString& settingsFile, const QString& database);
