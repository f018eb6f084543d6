#pragma once

#include "Database.h"
#include "FakePrinterSystem.h"

#include <QObject>
#include <QPrinter>
#include <QTemporaryDir>
#include <memory>

class PrintWindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pageNumbers_data();
    void pageNumbers();
    void selectionLoadsRangeAndCancels();
    void pageFieldsTakeDigitsOnly();
    void choosingPrinters();

    void previewOpensOnFirstPage();
    void pageKeysStopAtTheEnds();
    void clicksCycleTheZoom();
    void pdfButtonOnlyWithPath();
    void escapeDeletesPageFiles();
    void printWithoutPrinters();
    void printThroughSelection();
    void cancelledSelectionPrintsNothing();
    void exportFromPreview();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<Database> m_db;
    FakePrinterSystem m_printers;
    QByteArray m_oldTemp;
};
