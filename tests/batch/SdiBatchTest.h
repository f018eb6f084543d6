#pragma once

#include <QObject>
#include <QTemporaryDir>

// The SdI's receipts read in by `ricevute`, and a period's files packed by
// `fatturapa --zip`, on a real data folder.
class SdiBatchTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void receiptsRecordTheSendingsState();
    void periodZip();

private:
    QTemporaryDir m_dir;
};
