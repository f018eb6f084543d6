#pragma once

#include "TestDataFolder.h"

#include <QObject>
#include <memory>

class WindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void clientArchiveByKeyboard();
    void usedCodesAreNotDeleted();
    void enterWalksTheFields();
    void typedFieldsFilterAndForm();
    void fieldsShowTheirLengthWhole();
    void wrongDateKeepsTheFocus();
    void taxCodesCheckedWhereTyped();
    void codeList();
    void recordGridAndArchiveList();
    void headingDataUsedAtOnce();
    void closingAsksAboutChanges();
    void lookingUpAnotherRecordAsks();

private:
    TestDataFolder m_data;
};
