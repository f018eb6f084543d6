#pragma once

#include <QObject>

// The program started on archives on the tests' server: no folder lock,
// where the archives are said, and a server that cannot be reached refused
// before anything starts.
class ServerStartUpTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void startsOnTheServerWithoutTheFolderLock();
    void refusesAServerItCannotReach();
};
