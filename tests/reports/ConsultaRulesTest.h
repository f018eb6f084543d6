#pragma once

#include "AppContext.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>

class ConsultaRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void statementsBindEveryFilter();
    void filtersOnTheDatabase();
    void yearSteps_data();
    void yearSteps();
    void yearsFollowTheKey();
    void cellsAndTotal();
    void layoutRoundTrip();
    void wheelSteps();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppContext> m_context;
};
