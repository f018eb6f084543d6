#pragma once

#include "TestDataFolder.h"
#include "TestLayout.h"

#include <QObject>
#include <memory>

// The invoice and pro-forma pages as recorded, against golden dumps, and
// the invoice print window; electronic invoices shown as pages: a golden
// dump, pages that flow, the PDF they export, the preview from the dialog.
class DocumentLayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void recordedPages_data();
    void recordedPages();
    void missingDocumentsAndClients();
    void archivePath();
    void numbersAsFieldsShowThem();
    void printWindowFillsAndArchives();
    void notFoundStillOpensPreview();
    void supplierPages();
    void manyLinesFlowOntoNumberedPages();
    void exportedPdf();
    void previewFromFileDialog();

private:
    PrintFixture m_fixture;
    TestDataFolder m_data;
};
