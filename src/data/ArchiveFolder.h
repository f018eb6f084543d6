#pragma once

#include <QString>
#include <optional>

// The files every desk of a studio must find alike (the invoice archive
// Fatture/, the reports Stampe/, the suppliers' files Ricevute/ and the
// logo) live in the archive folder, [Generale] Archivio of the settings:
// a folder several desks share. The database, the settings, the lock and
// the daily copies stay in the data folder.

// The archive folder of `dataFolder` when its settings say `setting`: the
// data folder itself when absent; a relative folder is taken from the data
// folder.
QString archiveFolderPath(const QString& dataFolder, const std::optional<QString>& setting);

// Makes `folder`, a folder inside the archive folder `archive`, when
// missing. The archive folder itself is never made: a shared folder not
// mounted would get an empty local one in its place, and the files would
// go where no other desk finds them. False, with the sentence that says
// why, when the archive folder does not exist, is no folder or takes no
// new file, or `folder` cannot be made.
bool makeArchiveFolder(const QString& archive, const QString& folder, QString* error);
