#pragma once

#include "PrinterSystem.h"

#include <QStringList>

// Printers that tests make up; remembers what the window asked of it.
class FakePrinterSystem : public PrinterSystem
{
public:
    QList<PrinterEntry> printers() override { return installed; }
    bool setDefaultPrinter(const QString& name, QString* error) override
    {
        defaults << name;
        if (failDefault && error)
            *error = QStringLiteral("lpoptions: rifiutato");
        return !failDefault;
    }
    QString programPrinterName() override { return program; }
    bool setProgramPrinter(const QString& name, QString*) override
    {
        programChanges << name;
        program = name;
        return true;
    }

    QList<PrinterEntry> installed;
    QString program;
    QStringList defaults;
    QStringList programChanges;
    bool failDefault = false;
};
