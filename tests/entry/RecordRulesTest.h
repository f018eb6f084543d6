#pragma once

#include "TestDataFolder.h"

#include <QObject>
#include <memory>

class RecordRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void clientSavedAndFound();
    void codesKeepEveryLetter();
    void documentKeysAndAmounts();
    void refusedValuesLeaveTableAsItWas();
    void codeListAndGrid();
    void headingDataCreatedWhenMissing();
    void fieldChecksBeforeSaving();
    void recordNamesInMessages();
    void changesToldFromShownTexts();

private:
    TestDataFolder m_data;
};
