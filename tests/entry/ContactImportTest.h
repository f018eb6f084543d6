#pragma once

#include "TestDataFolder.h"

#include <QObject>

class ContactImportTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyKindOfRow_data();
    void everyKindOfRow();
    void writtenWholeOrNotAtAll();
    void suppliersAndProposedCodes();

private:
    TestDataFolder m_data;
};
