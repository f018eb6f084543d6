#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <memory>

// The settings file: read and written as Windows programs do, and the
// typed values the program takes from it.
class SettingsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void reading_data();
    void reading();
    void writeKeepsOtherLines();
    void writeCreatesFileAndSection();
    void crlfAndLatin1Files();
    void encodingsKeptOnWrite_data();
    void encodingsKeptOnWrite();
    void undecodableFileIsNotRewritten();
    void newFileIsPrivate();
    void unwritableFileIsReported();
    void readOnceWhileARunLasts();
    void defaultsWhenAbsent();
    void valuesAsTheirReadersTakeThem();
    void privacyNotice();
    void pecAccountAndInboxMark();
    void databaseServer();
    void serverArguments_data();
    void serverArguments();

private:
    QString write(const QByteArray& content);
    QByteArray contents() const;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
};
