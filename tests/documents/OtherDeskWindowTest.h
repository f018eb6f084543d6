#pragma once

#include "TestDataFolder.h"

#include <QObject>

// The invoice window while another desk works on the same archive.
class OtherDeskWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void invoiceChangedOrDeletedElsewhere();
    void numberTakenElsewhere();

private:
    TestDataFolder m_data;
};
