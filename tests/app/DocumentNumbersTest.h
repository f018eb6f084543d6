#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <memory>

#include "AppContext.h"
#include "Main.h"

// Document numbers through the real windows: a new invoice from the consult
// window never takes a stored invoice's number, and a four-digit invoice is
// archived under its stored number.
class DocumentNumbersTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void newInvoiceNeverOverwritesAStoredOne();
    void fourDigitInvoiceIsArchived();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<Main> m_main;
};
