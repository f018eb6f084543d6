#include "BatchCommand.h"

#include "KeptFiles.h"
#include "PageFolder.h"
#include "PrintableText.h"
#include "Validation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRegularExpression>
#include <QTemporaryFile>

namespace {

BatchError badUsage(const QString& message)
{
    return {message, BatchStatus::BadUsage};
}

bool isWholeNumber(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]+$"));
    return pattern.match(text).hasMatch();
}

} // namespace

QCommandLineOption valueOption(const QString& name, const QString& description,
                               const QString& valueName)
{
    return QCommandLineOption(name, description, valueName);
}

QCommandLineOption flagOption(const QString& name, const QString& description)
{
    return QCommandLineOption(name, description);
}

BatchRun::BatchRun(const BatchCommand& command, QCommandLineParser& parser, QTextStream& out,
                   QTextStream& err, QIODevice& data, std::function<QString()> findFolder,
                   std::function<void(AppContext&)> prepare)
    : m_command(command), m_parser(parser), m_out(out), m_err(err), m_data(data),
      m_findFolder(std::move(findFolder)), m_prepare(std::move(prepare))
{
}

BatchRun::~BatchRun() = default;

QString BatchRun::dataFolder() const
{
    return m_findFolder ? m_findFolder() : QString();
}

AppContext& BatchRun::context()
{
    if (!m_prepared) {
        m_prepared = true;
        m_prepare(m_context);
    }
    return m_context;
}

std::optional<int> BatchRun::wholeNumber(const QString& option, int min, int max) const
{
    if (!isSet(option))
        return std::nullopt;
    const QString text = value(option).trimmed();
    bool ok = false;
    const qint64 number = isWholeNumber(text) ? text.toLongLong(&ok) : 0;
    if (!ok)
        throw badUsage(QStringLiteral("--%1: \"%2\" non è un numero intero").arg(option, text));
    if (number < min || number > max)
        throw badUsage(QStringLiteral("--%1: %2 è fuori dai limiti (da %3 a %4)")
                           .arg(option, text)
                           .arg(min)
                           .arg(max));
    return int(number);
}

std::optional<QDate> BatchRun::date(const QString& option) const
{
    if (!isSet(option))
        return std::nullopt;
    const QString text = value(option);
    const auto normalized = normalizeDate(text.trimmed());
    const QDate date = normalized ? QDate::fromString(*normalized, QStringLiteral("dd/MM/yyyy"))
                                  : QDate::fromString(text.trimmed(), Qt::ISODate);
    if (!date.isValid())
        throw badUsage(QStringLiteral("--%1: \"%2\" non è una data (per esempio 31/12/2026)")
                           .arg(option, text));
    return date;
}

qint64 BatchRun::positionalNumber(int index, qint64 min, qint64 max) const
{
    const QString name = m_command.positionals.value(index);
    const QString text = positional(index).trimmed();
    bool ok = false;
    const qint64 number = isWholeNumber(text) ? text.toLongLong(&ok) : 0;
    if (!ok)
        throw badUsage(QStringLiteral("%1: \"%2\" non è un numero intero").arg(name, text));
    if (number < min || number > max)
        throw badUsage(QStringLiteral("%1: %2 è fuori dai limiti (da %3 a %4)")
                           .arg(name, text)
                           .arg(min)
                           .arg(max));
    return number;
}

QString BatchRun::outputFile(const QString& path)
{
    if (path == QLatin1String("-")) {
        // Written whole first, so that a failure sends nothing at all.
        if (!m_stdoutFolder)
            m_stdoutFolder = std::make_unique<PageFolder>(pageFolderBases());
        if (!m_stdoutFolder->isValid())
            throw BatchError{QStringLiteral("impossibile creare una cartella temporanea per lo "
                                            "standard output")};
        m_stdoutFile = m_stdoutFolder->path() + QStringLiteral("/uscita");
        return m_stdoutFile;
    }
    if (path.isEmpty())
        throw badUsage(QStringLiteral("\"%1\" non è il nome di un file").arg(path));
    QString refusal;
    const QString target = checkedOutputPath(dataFolder(), path, &refusal);
    if (target.isEmpty())
        throw badUsage(refusal);
    // The file is written under a temporary name beside it and renamed:
    // the folder must take a new file.
    const QString folder = QFileInfo(target).absolutePath();
    QTemporaryFile probe(folder + QStringLiteral("/.falmide-XXXXXX"));
    if (!QDir().mkpath(folder) || !probe.open())
        throw BatchError{QStringLiteral("impossibile scrivere nella cartella %1").arg(folder)};
    return target;
}

void BatchRun::deliver(const QString& file)
{
    if (m_stdoutFile.isEmpty() || file != m_stdoutFile) {
        m_out << file << '\n';
        return;
    }
    QFile written(file);
    if (!written.open(QIODevice::ReadOnly))
        throw BatchError{
            QStringLiteral("impossibile leggere il file scritto: %1").arg(written.errorString())};
    m_out.flush();
    while (!written.atEnd()) {
        const QByteArray block = written.read(1 << 16);
        if (block.isEmpty() || m_data.write(block) != block.size())
            throw BatchError{QStringLiteral("impossibile scrivere sullo standard output: %1")
                                 .arg(m_data.errorString())};
    }
}

void BatchRun::tellFileOutcomes(const QList<FileOutcome>& outcomes, const QString& refusedSummary)
{
    qsizetype refused = 0;
    for (const FileOutcome& outcome : outcomes) {
        if (outcome.accepted) {
            m_out << withControlsEscaped(outcome.message) << '\n';
        } else {
            ++refused;
            m_err << "falmide: " << withControlsEscaped(outcome.message) << '\n';
        }
    }
    m_out.flush();
    if (refused > 0)
        throw BatchError{refusedSummary.arg(refused).arg(outcomes.size())};
}

QString existingDatabaseFile(const AppContext& context)
{
    const QString file = context.databaseFile();
    if (!QFileInfo(file).isFile())
        throw BatchError{QStringLiteral("nessun database in %1 (falmide demo ne crea uno di prova)")
                             .arg(context.programFolder)};
    return file;
}

QString BatchRun::databaseFile()
{
    return existingDatabaseFile(context());
}

void BatchRun::lockDataFolder(const QString& folder)
{
    // Several desks work at once on a database on a server.
    if (m_lock || (folder == m_context.programFolder && m_context.databaseServer()))
        return;
    auto lock = std::make_unique<InstanceLock>(folder);
    QString error;
    if (!lock->acquire(&error))
        throw BatchError{error};
    m_lock = std::move(lock);
}

void openServerDatabase(Database& db, const ServerConnection& server)
{
    QString error;
    if (!db.openServer(server, &error))
        throw BatchError{QStringLiteral("server %1: %2").arg(describeServer(server), error)};
}
