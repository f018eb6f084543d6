#include "PrinterSystem.h"

#include "ApplicationPrinter.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

PrinterSystem* g_current = nullptr;

// Runs a CUPS tool briefly; nothing when it is not installed or fails.
bool runTool(const QString& program, const QStringList& arguments, QString* output, QString* error)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("Il programma %1 di CUPS non è installato.").arg(program);
        return false;
    }
    QProcess process;
    process.start(path, arguments);
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        if (process.state() != QProcess::NotRunning)
            process.kill();
        if (error)
            *error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        if (error && error->isEmpty())
            *error = QStringLiteral("%1 non ha risposto.").arg(program);
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return true;
}

} // namespace

PrinterSystem& PrinterSystem::current()
{
    static CupsPrinterSystem cups;
    return g_current ? *g_current : cups;
}

void PrinterSystem::setCurrent(PrinterSystem* system)
{
    g_current = system;
}

QList<PrinterEntry> CupsPrinterSystem::printers()
{
    QList<PrinterEntry> list;
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
        PrinterEntry entry{info.printerName(), info.makeAndModel(), QString()};
        // "device for NAME: URI"
        QString output;
        if (runTool(QStringLiteral("lpstat"), {QStringLiteral("-v"), entry.name}, &output,
                    nullptr)) {
            const qsizetype colon = output.indexOf(QStringLiteral(": "));
            if (colon >= 0)
                entry.port = output.mid(colon + 2).trimmed();
        }
        list << entry;
    }
    return list;
}

bool CupsPrinterSystem::setDefaultPrinter(const QString& name, QString* error)
{
    return runTool(QStringLiteral("lpoptions"), {QStringLiteral("-d"), name}, nullptr, error);
}

QString CupsPrinterSystem::programPrinterName()
{
    return applicationPrinter().printerName();
}

bool CupsPrinterSystem::setProgramPrinter(const QString& name, QString* error)
{
    QPrinter& printer = applicationPrinter();
    printer.setPrinterName(name);
    if (printer.printerName() != name) {
        if (error)
            *error = QStringLiteral("La stampante %1 non è disponibile.").arg(name);
        return false;
    }
    return true;
}
