#pragma once

#include "AppContext.h"

#include <QObject>
#include <QTemporaryDir>
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
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppContext> m_context;
};
