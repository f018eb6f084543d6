#pragma once

#include <QString>

// The folder holding the database, the settings file, the logo and the
// invoice archive: $FALMIDE_HOME, or ~/.local/share/falmide.
QString dataFolderPath();

// Creates the folder when missing and checks that it can be written.
bool prepareDataFolder(const QString& folder, QString* error);

inline constexpr const char* kDatabaseFileName = "falmide.db";
inline constexpr const char* kSettingsFileName = "falmide.ini";
inline constexpr const char* kLogoFileName = "logo.bmp";
