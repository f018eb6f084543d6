#pragma once

#include <QObject>

class PageRecordTest : public QObject
{
    Q_OBJECT
private slots:
    void numbersInPrintForm_data();
    void numbersInPrintForm();
    void readingNumbers_data();
    void readingNumbers();
    void textsKeepTheirTabs();
    void linesSplitIntoElevenFieldsAtMost();
    void pageFileNames_data();
    void pageFileNames();
};
