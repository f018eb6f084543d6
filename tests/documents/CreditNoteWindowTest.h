#pragma once

#include "AppContext.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>

class CreditNoteWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fullAndPartialNotes();
    void notePrintedAndWritten();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppContext> m_context;
};
