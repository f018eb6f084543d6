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

    // Three printers, the second the program's, the third without a driver.
    QList<PrinterEntry> installed{{"Ufficio", "HP LaserJet 1020", "usb://HP/LaserJet"},
                                  {"Studio", "Brother HL", "ipp://studio/ipp"},
                                  {"Grezza", QString(), "socket://10.0.0.9"}};
    QString program = "Studio";
    QStringList defaults;
    QStringList programChanges;
    bool failDefault = false;
};
