#pragma once

#include "Database.h"
#include "FakePrinterSystem.h"
#include "TestLayout.h"

#include <QObject>

class PrintWindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pageNumbers_data();
    void pageNumbers();
    void selectionLoadsRangeAndTakesDigitsOnly();
    void choosingPrinters_data();
    void choosingPrinters();

    void previewOpensOnFirstPage();
    void clicksCycleTheZoom();
    void onePageWithoutPdfThenEscape();
    void printWithoutPrinters();
    void printThroughSelection_data();
    void printThroughSelection();
    void exportFromPreview();

private:
    PrintFixture m_fixture;
    std::unique_ptr<Database> m_db;
    FakePrinterSystem m_printers;
};
