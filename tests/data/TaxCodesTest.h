#pragma once

#include <QObject>

class TaxCodesTest : public QObject
{
    Q_OBJECT
private slots:
    void checks_data();
    void checks();
};
