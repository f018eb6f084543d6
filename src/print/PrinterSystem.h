#pragma once

#include <QList>
#include <QString>

// An installed printer as the printer selection shows it: its queue name,
// make and model as its "driver" and its device as its "port".
struct PrinterEntry
{
    QString name;
    QString driver;
    QString port;
};

// The system's printers and the program's printer. The real one asks CUPS;
// tests put in a list of their own.
class PrinterSystem
{
public:
    virtual ~PrinterSystem() = default;

    virtual QList<PrinterEntry> printers() = 0;
    // Makes the printer the system default for later print jobs.
    virtual bool setDefaultPrinter(const QString& name, QString* error) = 0;
    // The printer the program prints on.
    virtual QString programPrinterName() = 0;
    virtual bool setProgramPrinter(const QString& name, QString* error) = 0;

    static PrinterSystem& current();
    // nullptr goes back to the system's printers.
    static void setCurrent(PrinterSystem* system);
};

// CUPS through Qt's printer list; the device and the default through the
// CUPS command-line tools when they are installed.
class CupsPrinterSystem : public PrinterSystem
{
public:
    QList<PrinterEntry> printers() override;
    bool setDefaultPrinter(const QString& name, QString* error) override;
    QString programPrinterName() override;
    bool setProgramPrinter(const QString& name, QString* error) override;
};
