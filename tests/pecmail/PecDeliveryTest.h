#pragma once

#include <QObject>

// What a run of PEC sendings does with a failure.
class PecDeliveryTest : public QObject
{
    Q_OBJECT
private slots:
    void stopsTheRun_data();
    void stopsTheRun();
};
