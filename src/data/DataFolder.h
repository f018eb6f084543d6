#pragma once

#include <QString>

// The folder holding the database, the settings file, the logo and the
// invoice archive: $FALMIDE_HOME, or ~/.local/share/falmide. Without HOME it
// is the standard data location's answer; when there is none, the result is
// empty and error says why.
QString dataFolderPath(QString* error = nullptr);

// Creates the folder when missing, for this user only, and checks that it
// can be written. An existing folder keeps its permissions.
bool prepareDataFolder(const QString& folder, QString* error);

// Whether a new file can be made in the folder: 0, or the system's error
// number (a read-only disk, a full one, no permission).
int folderRefusesFiles(const QString& folder);

inline constexpr const char* kDatabaseFileName = "falmide.db";
inline constexpr const char* kSettingsFileName = "falmide.ini";
inline constexpr const char* kLogoFileName = "logo.bmp";
// Held while a program or a writing command works on the folder.
inline constexpr const char* kLockFileName = "falmide.lock";
