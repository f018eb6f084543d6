#pragma once

#include <QObject>

class StampDutyTest : public QObject
{
    Q_OBJECT
private slots:
    void dueAboveTheThreshold_data();
    void dueAboveTheThreshold();
    void amountsFromTheSettings();
};
