#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

struct AppContext;

struct Separators
{
    QString decimal;
    QString thousands;
};

// The decimal separator is what the locale writes as the second character of
// 1.5; the thousands separator is the other of "," and ".".
Separators separatorsFromLocale(const QLocale& locale);

// The main window's caption, with " versione " and the profession appended
// when the settings name one.
QString mainCaption(const QString& designCaption, const std::optional<QString>& calcolo);

// Today's date as the status area shows it: the Italian long form.
QString longDate(const QDate& date);

// What the main window's status bar says of archives on a server:
// "Archivi sul server rossi@studio:5432/falmide".
QString serverPanelText(const QString& server);

// The date panel's new width, in twips, after the main window was resized;
// the current width when the window has become too narrow for the panel.
double datePanelWidth(double panelLeft, double windowWidth, double currentWidth);

enum class StartUpOutcome {
    Ready,
    DataFolderUnusable,
    AlreadyRunning,   // another program works on the data folder
    DatabaseDamaged,  // the repair may mend it
    DatabaseUnusable, // locked, unreadable, not ours or from a newer version
};

// Everything start-up does with files, in order: the data folder is made
// when missing, the database in it is opened (or created on first run) and
// the heading data is loaded. The data folder is locked for this program
// first. With a server in the settings the database is the server's,
// opened without the lock and without finishing an interrupted
// compaction, which are the file's. Every path is built from the data folder: the
// current directory is left as it is. On failure, error says why.
StartUpOutcome openArchives(AppContext& context, QString* error);

// At a clean exit: remembers the database as it is left, so that the next
// start notices a change made while the program was not running.
void noteCleanExit(AppContext& context);
