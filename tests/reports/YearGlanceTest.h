#pragma once

#include <QObject>

class YearGlanceTest : public QObject
{
    Q_OBJECT
private slots:
    void monthsClientsAndWithholding();
    void unpaidByAge();
};
