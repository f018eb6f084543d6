#pragma once

#include "AppContext.h"

#include <QObject>
#include <QTemporaryDir>
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
    void exportNames();
    void storedRates_data();
    void storedRates();
    void listColumnWidths();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppContext> m_context;
    QByteArray m_oldTemp;
};
