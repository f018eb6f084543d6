#pragma once

#include <QObject>

// The program's database on the tests' PostgreSQL server: opening, the
// refusals said in Italian, and what must behave as on the embedded engine.
class ServerEngineTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void opensAnEmptyDatabaseThenReopensIt();
    void refusesDatabasesNotOfThisVersion_data();
    void refusesDatabasesNotOfThisVersion();
    void refusesLogins_data();
    void refusesLogins();
    void refusesAServerThatDoesNotAnswer();
    void readOnlyLoginsAndDatabases();
    void keysSortByTheirBytesOnBothEngines();
    void aKeyGivenTwiceIsAConstraint();
    void aLostConnectionIsSaidAsTheServer();
    void aRecordStoredAgainIsNotTheOneLoaded();
    void errorsByKind_data();
    void errorsByKind();
};
