#pragma once

#include <QObject>
#include <QTemporaryDir>

// Any electronic invoice read back for viewing: the program's own files, a
// supplier's, signed ones, and files that are none.
class FatturaPAContentTest : public QObject
{
    Q_OBJECT
private slots:
    void ownFilesReadBack_data();
    void ownFilesReadBack();
    void namespacesAndUnknownElements_data();
    void namespacesAndUnknownElements();
    void signedFiles();
    void notFatturaPARefused_data();
    void notFatturaPARefused();
    void italianNumbers_data();
    void italianNumbers();

private:
    QTemporaryDir m_dir;
};
