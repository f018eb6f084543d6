#pragma once

#include "ZipFile.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

class Database;

// What went into a period's ZIP and what could not.
struct PeriodZip
{
    QStringList files;  // the names inside the archive, oldest invoice first
    QStringList unsent; // "fattura 3/2026": dated in the period, no live sending
};

// The files of a period's live sendings, ready to go into a ZIP, and the
// invoices dated in the period without one.
struct PeriodSendingFiles
{
    QList<ZipEntry> entries; // oldest invoice first
    QStringList unsent;
};

// Reads the live sending's file of every invoice dated from `first` to
// `last` from the archive under `archiveFolder`. Nothing, and why in
// `message` ("…: nessun file ZIP scritto"), when a file is missing or changed
// since it was written (its SHA-256 differs): whatever leaves the program
// must be the file the sending stands for.
std::optional<PeriodSendingFiles> periodSendingFiles(Database& db, const QString& archiveFolder,
                                                     const QDate& first, const QDate& last,
                                                     QString* message);

// Writes one ZIP at `path` of the live sending's file of every invoice dated
// from `first` to `last`, as the archive under `archiveFolder` keeps it: what
// the tax agency's upload page and an accountant take. A file missing from
// the archive or changed since it was written (its SHA-256 differs) refuses
// the whole archive, naming it; invoices without a live sending are listed
// and left out. Nothing written, and why in `message`, when no file is left
// to put in or on any failure.
std::optional<PeriodZip> writePeriodZip(Database& db, const QString& archiveFolder,
                                        const QDate& first, const QDate& last, const QString& path,
                                        QString* message);
