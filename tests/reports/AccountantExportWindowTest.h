#pragma once

#include "TestDataFolder.h"

#include <QObject>

class AccountantExportWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void exportedFromTheKeyboard();

private:
    TestDataFolder m_data;
};
