#include "DataFolderTest.h"

#include "DataFolder.h"
#include "Database.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {

const char* const kVariables[3] = {"FALMIDE_HOME", "HOME", "XDG_DATA_HOME"};

void setVariable(const char* name, const QByteArray& value)
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

QFile::Permissions mode(const QString& path)
{
    // Only the bits chmod sets, whatever Qt adds for the current user.
    return QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

} // namespace

void DataFolderTest::initTestCase()
{
    for (int i = 0; i < 3; ++i)
        m_environment[i] =
            qEnvironmentVariableIsSet(kVariables[i]) ? qgetenv(kVariables[i]) : QByteArray();
}

void DataFolderTest::cleanup()
{
    for (int i = 0; i < 3; ++i)
        setVariable(kVariables[i], m_environment[i]);
}

void DataFolderTest::folderFromEnvironment_data()
{
    // A null value is an unset variable.
    QTest::addColumn<QByteArray>("falmideHome");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QByteArray>("xdgDataHome");
    QTest::addColumn<QString>("folder");
    const QByteArray unset;
    QTest::newRow("FALMIDE_HOME first")
        << QByteArray("/srv/studio/") << QByteArray("/home/anna") << unset << "/srv/studio";
    QTest::newRow("home") << unset << QByteArray("/home/anna") << unset
                          << "/home/anna/.local/share/falmide";
    QTest::newRow("home whatever XDG says")
        << QByteArray("") << QByteArray("/home/anna") << QByteArray("/altrove")
        << "/home/anna/.local/share/falmide";
    QTest::newRow("no home, XDG data home")
        << unset << unset << QByteArray("/srv/dati") << "/srv/dati/falmide";
    QTest::newRow("no home") << unset << unset << unset << QString();
    QTest::newRow("empty home") << unset << QByteArray("") << unset << QString();
    QTest::newRow("no home, relative XDG") << unset << unset << QByteArray("dati") << QString();
}

void DataFolderTest::folderFromEnvironment()
{
    QFETCH(QByteArray, falmideHome);
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, xdgDataHome);
    QFETCH(QString, folder);
    setVariable("FALMIDE_HOME", falmideHome);
    setVariable("HOME", home);
    setVariable("XDG_DATA_HOME", xdgDataHome);
    QString error;
    QCOMPARE(dataFolderPath(&error), folder);
    // Never a folder at the root of the file system; a refusal says why.
    if (folder.isEmpty())
        QVERIFY2(error.contains("HOME") && error.contains("FALMIDE_HOME"), qPrintable(error));
}

void DataFolderTest::newFolderAndFilesAreForTheUserOnly()
{
    const mode_t oldMask = umask(022);
    QTemporaryDir dir;
    const QString folder = dir.filePath("share/falmide");
    QString error;
    QVERIFY2(prepareDataFolder(folder, &error), qPrintable(error));
    QCOMPARE(mode(folder), kOwnerOnly);
    // The folders above are the usual ones; an existing folder is left alone.
    QCOMPARE(mode(dir.filePath("share")),
             kOwnerOnly | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    QVERIFY(QFile::setPermissions(folder, kOwnerOnly | QFile::ReadGroup | QFile::ExeGroup));
    QVERIFY(prepareDataFolder(folder, &error));
    QCOMPARE(mode(folder), kOwnerOnly | QFile::ReadGroup | QFile::ExeGroup);

    // The database, and the journal SQLite writes beside it during a change.
    const QString path = folder + "/falmide.db";
    Database db;
    QVERIFY2(db.open(path, &error), qPrintable(error));
    QCOMPARE(mode(path), QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(db.begin(&error));
    QVERIFY(db.execute("INSERT INTO Clienti (Chiave) VALUES (?)", {"C1"}, &error));
    QVERIFY(QFile::exists(path + "-journal"));
    QCOMPARE(mode(path + "-journal"), QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(db.commit(&error));
    umask(oldMask);
}
