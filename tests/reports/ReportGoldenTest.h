#pragma once

#include "TestDataFolder.h"

#include <QObject>
#include <memory>

// The period reports' pages and lists against golden dumps: one folder per
// case under golden/, holding the rows the database starts from
// (rows.txt), the selection (settings.ini) and the expected dump
// (expected.txt).
class ReportGoldenTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cases_data();
    void cases();
    void selectedColumnsReadAsWholeRows_data();
    void selectedColumnsReadAsWholeRows();
    void exportNames();
    void storedRates_data();
    void storedRates();
    void listColumnWidths();

private:
    TestDataFolder m_data;
    QByteArray m_oldTemp;
};
