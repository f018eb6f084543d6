#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A desktop entry (the .desktop file a desktop names as the program for a
// file type), as far as starting the program on one file needs it.
struct DesktopEntry
{
    QString file;          // where it was read
    QString name;          // Name
    QString icon;          // Icon
    QStringList exec;      // Exec split into the program and its arguments, codes kept
    QString tryExec;       // TryExec: the entry counts only when it is installed
    bool hidden = false;   // Hidden=true: the entry was removed
    bool terminal = false; // Terminal=true: it runs in a terminal
};

// Reads the [Desktop Entry] group of a desktop file. Nothing when the file
// cannot be read, is no application or has no command; a command whose
// quoting is broken counts as none.
std::optional<DesktopEntry> readDesktopEntry(const QString& path);

// Splits an Exec value (its string escapes already undone) into words: a
// word in double quotes keeps its blanks, and \", \`, \$ and \\ inside
// stand for the character. Nothing when a quote is left open.
std::optional<QStringList> splitExec(const QString& exec);

// The command that opens `file` with the entry: %f and %F become the path,
// %u and %U its file: URL, %i the icon option, %c the name, %k the entry's
// file, %% a percent sign; other codes go. A command without a file code
// gets the path at its end.
QStringList commandForFile(const DesktopEntry& entry, const QString& file);
