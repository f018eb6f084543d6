#pragma once

#include "TestDataFolder.h"
#include "TestLayout.h"

#include <QObject>
#include <memory>

// The period windows and the list windows, driven with keys and the mouse.
class ReportWindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void invertedPeriodKeepsTheWindowOpen();
    void emptySelectionSaysSo();
    void riepilogoListsTheSelection();
    void listKeysTotalsAndResize();
    void invertedPeriodListsTitlesOnly();
    void reportExportsToStampe();
    void yearGlancePrintsAndExports();
    void eachReportOpensItsWindows_data();
    void eachReportOpensItsWindows();

private:
    PrintFixture m_fixture;
    TestDataFolder m_data;
};
