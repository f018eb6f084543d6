#pragma once

#include "TestDataFolder.h"
#include "TestLayout.h"

#include <QObject>

// Electronic invoices shown as pages: the recorded pages against a golden
// dump, pages that flow, the PDF they export, and the preview opened from
// the file dialog.
class FatturaPAViewTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void supplierPages();
    void manyLinesFlowOntoNumberedPages();
    void exportedPdf();
    void previewFromFileDialog();

private:
    PrintFixture m_fixture;
    TestDataFolder m_data;
};
