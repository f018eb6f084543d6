#pragma once

#include <QObject>

// The program's database on the tests' PostgreSQL server: the refusals said
// in Italian, and what must behave as on the embedded engine. The data
// tests run on the server as well.
class ServerEngineTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void refusesDatabasesNotOfThisVersion_data();
    void refusesDatabasesNotOfThisVersion();
    void refusesLogins_data();
    void refusesLogins();
    void readOnlyLoginsAndDatabases();
    void keysSortByTheirBytesOnBothEngines();
    void aKeyGivenTwiceIsAConstraint();
    void aLostConnectionIsSaidAsTheServer();
    void aRecordStoredAgainIsNotTheOneLoaded();
    void errorsByKind_data();
    void errorsByKind();
};
