#pragma once

#include "TestDataFolder.h"

#include <QObject>

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
    void codeList();
    void recordGridAndArchiveList();
    void headingDataUsedAtOnce();
    void closingAsksAboutChanges();
    void lookingUpAnotherRecordAsks();

private:
    TestDataFolder m_data;
};

// The client window's codes, country and province, typed and checked.
class ClientWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void countryAndProvince();
    void taxCodesCheckedWhereTyped();

private:
    TestDataFolder m_data;
};

// The preview of clients imported from a spreadsheet.
class ContactImportWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void previewMendAndImport();

private:
    TestDataFolder m_data;
};
