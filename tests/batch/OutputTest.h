#pragma once

#include <QObject>
#include <QTemporaryDir>

// The files the commands write on the user's word: never one the program
// keeps, never anything but a regular file, or standard output.
class OutputTest : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void keptFilesAreNoOutputs_data();
    void keptFilesAreNoOutputs();
    void outputToStandardOutput();
    void outputThroughALink();

private:
    QTemporaryDir m_dir;
};
