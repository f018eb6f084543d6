#pragma once

#include "TestDataFolder.h"

#include <QObject>

class YearGlanceWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void yearAgesAndAnEmptyYear();

private:
    TestDataFolder m_data;
};
