#pragma once

#include <QObject>

// Desk processes saving into the same server database at once.
class DesksTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void racingDesksLoseNothing();
    void aDeskKilledMidSave();
};
