#pragma once

#include "AppContext.h"

#include <QObject>
#include <QTemporaryDir>
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
    void typedAndPastedTextIsFiltered();
    void commaIsTheDecimalPointOfNumbers();
    void numbersKeepTheirDisplayWhole();
    void fieldsShowTheirLengthWhole();
    void wrongDateKeepsTheFocus();
    void codeList();
    void recordGridAndArchiveList();
    void headingDataUsedAtOnce();
    void closingAsksAboutChanges();
    void lookingUpAnotherRecordAsks();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppContext> m_context;
};
