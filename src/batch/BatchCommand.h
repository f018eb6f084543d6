#pragma once

#include "AppContext.h"
#include "InstanceLock.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class PageFolder;
class QIODevice;

// Exit statuses of a command run from the shell.
namespace BatchStatus {
enum : int {
    Done = 0,
    Failed = 1,   // the work could not be done (no database, no such document, a write failed)
    BadUsage = 2, // the command line itself is wrong
};
}

// Stops a command: the message becomes its one line on standard error.
struct BatchError
{
    QString message;
    int status = BatchStatus::Failed;
};

// What a command needs before it runs.
enum class BatchNeeds {
    Nothing,            // no data folder at all
    DataFolder,         // the data folder's name (its settings file), nothing made
    WritableDataFolder, // the data folder, made when missing; no database opened
    Database,           // the database of the data folder, which must exist, open
};

class BatchRun;

// One command of `falmide COMMAND ...`: its name, what --help says of it,
// its options and positional arguments, and the work itself.
struct BatchCommand
{
    QString name;
    QString summary;
    std::vector<QCommandLineOption> options;
    QStringList positionals; // names shown in the help, each required
    BatchNeeds needs = BatchNeeds::Database;
    // Recording pages measures text with fonts: the command runs under a
    // QGuiApplication on the offscreen platform instead of a QCoreApplication.
    bool drawsPages = false;
    std::function<int(BatchRun&)> run;
    // The positional arguments are given all or none (the command then
    // reads its work from the options).
    bool positionalsOptional = false;
    // The last positional argument may be given any number of times
    // (FILE...).
    bool lastRepeats = false;
};

// A command being run: its parsed arguments, its output streams and, when it
// needs one, the data folder with its open database. The readers throw
// BatchError with a message naming the option for anything that is not a
// value of the kind asked.
class BatchRun
{
public:
    // findFolder names the data folder (empty for a command that needs
    // none); prepare readies the context (the folder, its database opened)
    // the first time a command asks for it: after it has read its
    // arguments, so that a wrong argument is told before a missing
    // database. `data` takes what a command writes to standard output as
    // its file ("--output -").
    BatchRun(const BatchCommand& command, QCommandLineParser& parser, QTextStream& out,
             QTextStream& err, QIODevice& data, std::function<QString()> findFolder,
             std::function<void(AppContext&)> prepare);
    ~BatchRun();
    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;

    const BatchCommand& command() const { return m_command; }
    QTextStream& out() { return m_out; }
    QTextStream& err() { return m_err; }
    AppContext& context();

    bool isSet(const QString& option) const { return m_parser.isSet(option); }
    QString value(const QString& option) const { return m_parser.value(option); }
    // The positional arguments after the command's name.
    QString positional(int index) const { return m_parser.positionalArguments().value(index + 1); }
    // Those from `index` on, for a command whose last one repeats.
    QStringList positionalsFrom(int index) const
    {
        return m_parser.positionalArguments().mid(index + 1);
    }

    // Each nothing when the option is not given.
    std::optional<int> wholeNumber(const QString& option, int min, int max) const;
    std::optional<QDate> date(const QString& option) const;

    // A positional argument that must be a whole number in [min, max].
    qint64 positionalNumber(int index, qint64 min, qint64 max) const;

    // A file the command will write: its folder is made when missing and
    // must take a new file. Returns the absolute path, symbolic links
    // followed. Refused: a folder, anything that is not a regular file (a
    // device, a FIFO), and the files the data folder keeps for the program,
    // under any name (see KeptFiles.h). "-" is standard output: the command
    // writes a private temporary file, which deliver() sends.
    QString outputFile(const QString& path);
    // Tells where the command's file went: its path on a line of its own,
    // or, for "-", the file itself on standard output.
    void deliver(const QString& file);

    // What became of one of the files a command was given.
    struct FileOutcome
    {
        bool accepted = false;
        QString message;
    };
    // Each file's line: on standard output when it was taken in, on
    // standard error when refused. Refused files fail the command once every
    // line is out, with `refusedSummary` given the number refused (%1) and
    // the number of files (%2).
    void tellFileOutcomes(const QList<FileOutcome>& outcomes, const QString& refusedSummary);

    // The data folder the command works on, empty when it needs none.
    QString dataFolder() const;

    // The data folder's database file, which must exist; nothing is opened.
    QString databaseFile();

    // Holds the data folder as the program does, until the command ends: a
    // command that writes into a database must not run beside the program
    // (or another command) working on the same folder. Not the data folder
    // whose archives are on a server: several desks share those.
    void lockDataFolder(const QString& folder);

private:
    const BatchCommand& m_command;
    QCommandLineParser& m_parser;
    QTextStream& m_out;
    QTextStream& m_err;
    QIODevice& m_data;
    std::function<QString()> m_findFolder;
    std::function<void(AppContext&)> m_prepare;
    // The folder of the file bound for standard output, and that file.
    std::unique_ptr<PageFolder> m_stdoutFolder;
    QString m_stdoutFile;
    // Released after the context's database is closed.
    std::unique_ptr<InstanceLock> m_lock;
    AppContext m_context;
    bool m_prepared = false;
};

// The database file of the context's folder, or the error that there is none.
QString existingDatabaseFile(const AppContext& context);

// Opens the database on the server, or stops the command with the reason,
// naming the server.
void openServerDatabase(Database& db, const ServerConnection& server);

// An option taking a value, for a command's table.
QCommandLineOption valueOption(const QString& name, const QString& description,
                               const QString& valueName);
// A switch.
QCommandLineOption flagOption(const QString& name, const QString& description);
