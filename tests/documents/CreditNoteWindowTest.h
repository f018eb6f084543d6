#pragma once

#include "TestDataFolder.h"

#include <QObject>

class CreditNoteWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fullAndPartialNotes();
    void notePrintedAndWritten();

private:
    TestDataFolder m_data;
};
