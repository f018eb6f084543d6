#pragma once

#include "TestDataFolder.h"

#include <QObject>

// The client window's country and province, typed and stored.
class ClientWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void countryAndProvince();

private:
    TestDataFolder m_data;
};
