#include "BatchRunner.h"

#include "BatchCommands.h"
#include "DataFolder.h"
#include "HeadingData.h"
#include "PageFolder.h"
#include "PrintableText.h"
#include "TemporaryFiles.h"

#include <QDir>
#include <QRegularExpression>

namespace {

QCommandLineOption dirOption()
{
    return QCommandLineOption(QStringLiteral("dir"),
                              QStringLiteral("la cartella dei dati (altrimenti $FALMIDE_HOME, "
                                             "altrimenti ~/.local/share/falmide)"),
                              QStringLiteral("cartella"));
}

QCommandLineOption helpOption()
{
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                              QStringLiteral("mostra questo aiuto"));
}

QCommandLineOption versionOption()
{
    return QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")},
                              QStringLiteral("mostra la versione"));
}

BatchError badUsage(const QString& message)
{
    return {message, BatchStatus::BadUsage};
}

QString usageLine()
{
    return QStringLiteral("uso: falmide [--dir CARTELLA] COMANDO [opzioni]; falmide --help "
                          "elenca i comandi");
}

const BatchCommand* findCommand(const QString& name)
{
    for (const BatchCommand& command : batchCommands())
        if (command.name == name)
            return &command;
    return nullptr;
}

// The parser's own words are English: the two mistakes it finds are told in
// the program's language.
void parse(QCommandLineParser& parser, const QStringList& arguments)
{
    if (parser.parse(arguments))
        return;
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        // As typed: the parser drops the dashes.
        const QString& name = unknown.first();
        QString typed = QStringLiteral("--") + name;
        for (const QString& argument : arguments)
            if (argument == QLatin1Char('-') + name ||
                argument.startsWith(QStringLiteral("--") + name))
                typed = argument.section(QLatin1Char('='), 0, 0);
        throw badUsage(
            QStringLiteral("opzione sconosciuta %1 (falmide --help elenca comandi e opzioni)")
                .arg(typed));
    }
    static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
    const auto match = quoted.match(parser.errorText());
    if (parser.errorText().startsWith(QLatin1String("Unexpected value")) && match.hasMatch())
        throw badUsage(QStringLiteral("l'opzione %1 non vuole un valore (%2)")
                           .arg(match.captured(1), usageLine()));
    throw badUsage(match.hasMatch()
                       ? QStringLiteral("manca il valore dell'opzione %1").arg(match.captured(1))
                       : parser.errorText());
}

QString optionLine(const QCommandLineOption& option)
{
    QStringList names;
    for (const QString& name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString line = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        line += QLatin1Char(' ') + option.valueName().toUpper();
    return line;
}

QString table(const QList<QPair<QString, QString>>& rows)
{
    qsizetype width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());
    QString text;
    for (const auto& row : rows)
        text += QStringLiteral("  ") + row.first.leftJustified(width + 2) + row.second + '\n';
    return text;
}

QString generalHelp()
{
    QList<QPair<QString, QString>> commands;
    for (const BatchCommand& command : batchCommands())
        commands.append({command.name, command.summary});
    QList<QPair<QString, QString>> options;
    for (const auto& option : {dirOption(), helpOption(), versionOption()})
        options.append({optionLine(option), option.description()});
    return QStringLiteral("Uso: falmide [--dir CARTELLA] COMANDO [opzioni]\n"
                          "Senza comando si apre il programma.\n\nComandi:\n") +
           table(commands) + QStringLiteral("\nOpzioni:\n") + table(options) +
           QStringLiteral("\n\"falmide COMANDO --help\" descrive le opzioni di un comando.\n");
}

QString commandHelp(const BatchCommand& command)
{
    QList<QPair<QString, QString>> options;
    for (const auto& option : command.options)
        options.append({optionLine(option), option.description()});
    if (command.needs != BatchNeeds::Nothing)
        options.append({optionLine(dirOption()), dirOption().description()});
    options.append({optionLine(helpOption()), helpOption().description()});
    QString usage = QStringLiteral("Uso: falmide ") + command.name;
    if (!command.positionals.isEmpty())
        usage += command.positionalsOptional
                     ? QStringLiteral(" [%1]").arg(command.positionals.join(QLatin1Char(' ')))
                     : QLatin1Char(' ') + command.positionals.join(QLatin1Char(' '));
    if (command.lastRepeats)
        usage += QStringLiteral("...");
    return usage + QStringLiteral(" [opzioni]\n") + command.summary +
           QStringLiteral("\n\nOpzioni:\n") + table(options);
}

QString dataFolder(const QCommandLineParser& global, const QCommandLineParser& parser)
{
    const QString given = parser.isSet(QStringLiteral("dir")) ? parser.value(QStringLiteral("dir"))
                          : global.isSet(QStringLiteral("dir"))
                              ? global.value(QStringLiteral("dir"))
                              : QString();
    if (given.isEmpty() &&
        (parser.isSet(QStringLiteral("dir")) || global.isSet(QStringLiteral("dir"))))
        throw badUsage(QStringLiteral("--dir: manca la cartella"));
    if (!given.isEmpty())
        return QDir::cleanPath(QDir(given).absolutePath());
    QString error;
    const QString folder = dataFolderPath(&error);
    if (folder.isEmpty())
        throw BatchError{error};
    return folder;
}

void openDatabase(AppContext& context)
{
    // The server the settings name, or the file that must be there already.
    const QString where =
        context.databaseServer() ? context.archivesLocation() : existingDatabaseFile(context);
    QString error;
    if (!context.openArchivesDatabase(&error) ||
        !loadHeadingData(context.DbArchivi, &context.DatiUtente, &error))
        throw BatchError{QStringLiteral("%1: %2").arg(where, error)};
}

int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err,
                   QIODevice& data)
{
    // A lone dash names no file and no option here, and "--" ends no options
    // before a command: both are mistakes, not a command's words.
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("-") || argument == QLatin1String("--"))
            throw badUsage(
                QStringLiteral("argomento non valido \"%1\" (%2)").arg(argument, usageLine()));
        if (!argument.startsWith(QLatin1Char('-')))
            break;
    }
    QCommandLineParser global;
    global.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    global.addOptions({dirOption(), helpOption(), versionOption()});
    parse(global, arguments);
    if (global.isSet(versionOption())) {
        out << "falmide " << programVersion() << '\n';
        return BatchStatus::Done;
    }
    const QStringList words = global.positionalArguments();
    if (words.isEmpty()) {
        if (global.isSet(helpOption())) {
            out << generalHelp();
            return BatchStatus::Done;
        }
        throw badUsage(QStringLiteral("manca il comando (falmide --help elenca i comandi)"));
    }
    const BatchCommand* command = findCommand(words.first());
    if (!command)
        throw badUsage(
            QStringLiteral("comando sconosciuto \"%1\" (falmide --help elenca i comandi)")
                .arg(words.first()));

    QCommandLineParser parser;
    parser.addOptions({helpOption()});
    if (command->needs != BatchNeeds::Nothing)
        parser.addOption(dirOption());
    for (const auto& option : command->options)
        parser.addOption(option);
    parse(parser, QStringList{arguments.value(0)} + words);
    if (parser.isSet(helpOption()) || global.isSet(helpOption())) {
        out << commandHelp(*command);
        return BatchStatus::Done;
    }
    const QStringList given = parser.positionalArguments().mid(1);
    if (given.size() < command->positionals.size() &&
        !(command->positionalsOptional && given.isEmpty()))
        throw badUsage(QStringLiteral("%1: manca %2 (uso: falmide %1 %3)")
                           .arg(command->name, command->positionals.at(given.size()),
                                command->positionals.join(QLatin1Char(' '))));
    if (given.size() > command->positionals.size() && !command->lastRepeats)
        throw badUsage(QStringLiteral("%1: argomento in più \"%2\"")
                           .arg(command->name, given.at(command->positionals.size())));

    auto folder = [&] {
        return command->needs == BatchNeeds::Nothing ? QString() : dataFolder(global, parser);
    };
    auto prepare = [&](AppContext& context) {
        if (command->needs == BatchNeeds::Nothing)
            return;
        context.programFolder = folder();
        // What runs that were killed left half-written.
        removeStaleDataFolderTemporaries(context.programFolder, context.archiveFolder());
        QString error;
        if (command->needs == BatchNeeds::Database)
            openDatabase(context);
        else if (command->needs == BatchNeeds::WritableDataFolder &&
                 !prepareDataFolder(context.programFolder, &error))
            throw BatchError{error};
    };
    BatchRun run(*command, parser, out, err, data, folder, prepare);
    return command->run(run);
}

} // namespace

bool isBatchInvocation(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return false;
    const QString& first = arguments.at(1);
    // Also the program's own options misspelt with a value, a lone dash and
    // "--": the command line then says what is wrong instead of opening the
    // windows.
    static const QRegularExpression ownOption(
        QStringLiteral("^(-|--|(-h|--help|-v|--version|--dir)(=.*)?)$"));
    return !first.startsWith(QLatin1Char('-')) || ownOption.match(first).hasMatch();
}

bool batchDrawsPages(const QStringList& arguments)
{
    for (const QString& argument : arguments.mid(1)) {
        const BatchCommand* command = findCommand(argument);
        if (command)
            return command->drawsPages;
    }
    return false;
}

int runBatch(const QStringList& arguments, QTextStream& out, QTextStream& err, QIODevice& data)
{
    int status = BatchStatus::Failed;
    try {
        status = runCommandLine(arguments, out, err, data);
    } catch (const BatchError& error) {
        QString message = error.message;
        message.replace(QLatin1Char('\n'), QLatin1Char(' '));
        // Names and codes from the archive may hold control characters.
        err << "falmide: " << withControlsEscaped(message.trimmed()) << '\n';
        status = error.status;
    }
    // A command prints once: the page folder kept for a next printout goes
    // with it.
    PageFolderPool::clear();
    out.flush();
    err.flush();
    return status;
}

QString programVersion()
{
    return QStringLiteral(FALMIDE_VERSION);
}
