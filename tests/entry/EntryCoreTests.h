#pragma once

#include "TestDataFolder.h"

#include <QObject>

class TextFormsTest : public QObject
{
    Q_OBJECT
private slots:
    void numberForm();
    void plainAndLocaleForms();
    void keyFiltering_data();
    void keyFiltering();
    void pastedText();
    void typedLengthLimit();
    void dates();
    void codeAndDateValidation();
    void valuesBeyondTheirColumn_data();
    void valuesBeyondTheirColumn();
    void windowPlacement();
};

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
