#pragma once

#include "TestDataFolder.h"

#include <QObject>
#include <memory>

class ConsultaWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void yearAndClientLists();
    void opensScrolledToTheLastAndWheelScrolls();
    void doubleClickNewAndRefresh();
    void newInvoiceFromTheKeyboard();
    void widthsAndTypeSurviveReopening();

private:
    TestDataFolder m_data;
};
