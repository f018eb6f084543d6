#pragma once

#include "TestDataFolder.h"

#include <QObject>
#include <memory>

class ConsultaRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void filtersOnTheDatabase();
    void yearSteps_data();
    void yearSteps();
    void yearsFollowTheKey();
    void cellsAndTotal();
    void handEditedLayout();
    void wheelSteps();

private:
    TestDataFolder m_data;
};
