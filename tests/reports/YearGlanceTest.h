#pragma once

#include "TestDataFolder.h"

#include <QObject>

// The year at a glance and the sheets handed to the accountant.
class YearGlanceTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void monthsClientsAndWithholding();
    void unpaidByAge();
    void csvForItalianSpreadsheets();
    void accountantSheetsOfAPeriod();
    void glancePage_data();
    void glancePage();

private:
    TestDataFolder m_data;
};
