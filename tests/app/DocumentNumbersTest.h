#pragma once

#include <QObject>
#include <memory>

#include "Main.h"
#include "TestDataFolder.h"

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
    TestDataFolder m_data;
    std::unique_ptr<Main> m_main;
};
