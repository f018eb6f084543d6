#pragma once

#include <QObject>
#include <QTemporaryDir>

class SettingsTest : public QObject
{
    Q_OBJECT
private slots:
    void defaultsWhenAbsent();
    void valuesAsTheirReadersTakeThem();
    void privacyNotice();
    void pecAccountAndInboxMark();
    void databaseServer();
    void serverArguments_data();
    void serverArguments();

private:
    QString write(const QByteArray& content);
    QTemporaryDir m_dir;
};
