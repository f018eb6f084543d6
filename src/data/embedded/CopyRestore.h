#pragma once

#include "DatabaseMaintenance.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

// After a repair: what the newest sound daily copy holds that the repaired
// file lost, and the other way round, so that the user can choose to go
// back to the copy.
struct CopyOffer
{
    QDate day;
    QString path;
    // "Fatture non recuperate: 2022/4–2022/19": in the copy, not repaired.
    QStringList lostByRepair;
    // "Fatture assenti dalla copia: 2026/12": repaired, not in the copy.
    QStringList missingFromCopy;
};

// The newest copy in Backup/ dated today or before that passes SQLite's
// check, compared with the repaired file; nothing when there is none.
std::optional<CopyOffer> copyOffer(const QString& repaired, const QString& dataFolder,
                                   const QDate& today);

enum class MissingAs { LostByRepair, MissingFromCopy };
// The documents and codes of reference that other lacks, one line per
// table; consecutive document numbers of a year are one range.
QStringList recordsMissing(const QString& reference, const QString& other, MissingAs as);

// Puts a checked copy of `copy` (a sound database of the program) in the
// place of database; the file it replaces is kept beside it as
// falmide-sostituito-<yyyyMMdd-HHmmss>.db (keptFile).
MaintenanceResult restoreDatabase(const QString& copy, const QString& database);
