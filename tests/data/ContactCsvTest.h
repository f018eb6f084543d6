#pragma once

#include <QObject>

// Clients' and suppliers' lists as spreadsheets save them.
class ContactCsvTest : public QObject
{
    Q_OBJECT
private slots:
    void readsWhatSpreadsheetsWrite();
};
