#pragma once

#include <QStringList>
#include <QTextStream>

class QIODevice;

// `falmide COMMAND [options]`: the program's work without windows.

// Whether a command line asks for a command (or for --help, --version)
// rather than for the windows: its first argument is a word, or one of the
// options of the commands. Qt's own options (-platform, -style ...) still
// start the windows.
bool isBatchInvocation(const QStringList& arguments);

// Whether the command named on the line records pages, which needs fonts.
bool batchDrawsPages(const QStringList& arguments);

// Runs the command of a full command line (the program's name first):
// parses it, finds the data folder (--dir, else $FALMIDE_HOME, else the
// default), opens its database when the command needs one, and runs it.
// Errors are one line on err; the result is the exit status. A file a
// command writes to standard output ("--output -") goes to `data`, the
// same output as `out` but without text encoding. Needs a
// QCoreApplication, and a QGuiApplication for a command that draws pages.
int runBatch(const QStringList& arguments, QTextStream& out, QTextStream& err, QIODevice& data);

// The program's version, as --version and the about box show it.
QString programVersion();
