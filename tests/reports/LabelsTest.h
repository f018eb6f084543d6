#pragma once

#include "TestLayout.h"

#include <QObject>

// The address labels: the range of codes, the placement on the page, and
// the window printing to a PDF-format printer.
class LabelsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void placementAndBoxes();
    void windowPrintsOnThePrinter();

private:
    PrintFixture m_fixture;
};
