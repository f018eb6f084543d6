#pragma once

#include "TestDataFolder.h"

#include <QObject>

class StampDutyReportTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void yearFromTheArchive();
    void deadlines_data();
    void deadlines();

private:
    TestDataFolder m_data;
};
