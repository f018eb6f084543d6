#pragma once

#include <QObject>

class MoneyTest : public QObject
{
    Q_OBJECT
private slots:
    void reading_data();
    void reading();
    void typedAmounts_data();
    void typedAmounts();
    void forms_data();
    void forms();
    void rounding_data();
    void rounding();
    void rates_data();
    void rates();
};
