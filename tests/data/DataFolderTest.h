#pragma once

#include <QByteArray>
#include <QObject>

class DataFolderTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void folderFromEnvironment_data();
    void folderFromEnvironment();
    void newFolderAndFilesAreForTheUserOnly();

private:
    QByteArray m_environment[3];
};
