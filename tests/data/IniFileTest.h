#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <memory>

class IniFileTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void readsKeys();
    void longValuesAreCut();
    void writeKeepsOtherLines();
    void writeCreatesFileAndSection();
    void crlfAndLatin1Files();
    void encodingsKeptOnWrite_data();
    void encodingsKeptOnWrite();
    void nulEndsTheValue();
    void undecodableFileIsNotRewritten();
    void newFileIsPrivate();
    void unwritableFileIsReported();

private:
    QString write(const QByteArray& content);
    QByteArray contents() const;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
};
