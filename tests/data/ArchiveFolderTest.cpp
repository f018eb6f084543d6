#include "ArchiveFolderTest.h"

#include "AppContext.h"
#include "ArchiveFolder.h"
#include "DataFolder.h"
#include "IniFile.h"
#include "InvoiceArchive.h"
#include "KeptFiles.h"
#include "StagedFile.h"
#include "TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <utime.h>

void ArchiveFolderTest::init()
{
    QVERIFY(m_dir.isValid());
    QDir(m_dir.path()).removeRecursively();
    QVERIFY(QDir().mkpath(dataFolder()));
}

void ArchiveFolderTest::setArchive(const QString& value) const
{
    QFile ini(dataFolder() + QStringLiteral("/falmide.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[Generale]\nCalcolo=GEOMETRA\nArchivio=%1\n").arg(value).toUtf8());
}

void ArchiveFolderTest::pathsFollowTheSetting_data()
{
    // The value of Archivio (null: no key) and the archive folder, both
    // under the test's folder ("@" stands for it).
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("archive");
    QTest::newRow("absent: the data folder") << QString() << "@/dati";
    QTest::newRow("empty: the data folder") << ""
                                            << "@/dati";
    QTest::newRow("absolute") << "@/studio/condivisa/"
                              << "@/studio/condivisa";
    QTest::newRow("relative to the data folder") << " ../condivisa "
                                                 << "@/condivisa";
}

void ArchiveFolderTest::pathsFollowTheSetting()
{
    QFETCH(QString, setting);
    QFETCH(QString, archive);
    archive.replace('@', m_dir.path());
    if (!setting.isNull())
        setArchive(setting.replace('@', m_dir.path()));
    AppContext context;
    context.programFolder = dataFolder();
    QCOMPARE(context.archiveFolder(), archive);
    QCOMPARE(context.logoFile(), archive + "/logo.bmp");
    QCOMPARE(invoiceArchivePath(context.archiveFolder(), "12", "05/03/2026"),
             archive + "/Fatture/2026/Fattura_2026_12.pdf");
    // What stays in the data folder whatever the setting.
    QCOMPARE(context.databaseFile(), dataFolder() + "/falmide.db");
    QCOMPARE(context.settingsFile(), dataFolder() + "/falmide.ini");
}

void ArchiveFolderTest::archiveFolderNeverMade()
{
    const QString share = m_dir.filePath("condivisa");
    QString error;
    QVERIFY(!makeArchiveFolder(share, share + "/Fatture/2026", &error));
    QCOMPARE(error, QStringLiteral("La cartella dell'archivio %1 non esiste: collegare la "
                                   "cartella condivisa o correggere Archivio in [Generale] di "
                                   "falmide.ini.")
                        .arg(share));
    QVERIFY(!QFileInfo::exists(share));

    QFile file(share);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(!makeArchiveFolder(share, share + "/Stampe", &error));
    QVERIFY2(error.contains("non è una cartella"), qPrintable(error));
    QVERIFY(file.remove());

    QVERIFY(QDir().mkdir(share));
    QVERIFY2(makeArchiveFolder(share, share + "/Fatture/2026", &error), qPrintable(error));
    QVERIFY(QFileInfo(share + "/Fatture/2026").isDir());

    // Permissions do not bind the superuser: the folder then takes files.
    QVERIFY(QFile::setPermissions(share, QFile::ReadOwner | QFile::ExeOwner));
    if (folderRefusesFiles(share) != 0) {
        QVERIFY(!makeArchiveFolder(share, share + "/Stampe", &error));
        QVERIFY2(error.startsWith("Impossibile scrivere nella cartella dell'archivio " + share),
                 qPrintable(error));
    }
    QFile::setPermissions(share, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void ArchiveFolderTest::sharedLogoKeptAndTemporariesLeftToTheirDesk()
{
    const QString share = m_dir.filePath("condivisa");
    QVERIFY(QDir().mkpath(share + "/Fatture/2026"));
    setArchive(share);
    QString refusal;
    QVERIFY(checkedOutputPath(dataFolder(), share + "/logo.bmp", &refusal).isEmpty());
    QVERIFY2(refusal.contains("il logo della carta intestata"), qPrintable(refusal));
    QCOMPARE(checkedOutputPath(dataFolder(), share + "/altro.pdf", &refusal), share + "/altro.pdf");

    // Left by a writer whose process is not here: on a shared folder it may
    // be another desk's, still writing, until it is a day old.
    const QString fresh = share + "/Fatture/2026/.Fattura_2026_1.pdf.999999999.AbC123";
    const QString old = share + "/Fatture/2026/.Fattura_2026_2.pdf.999999999.AbC123";
    for (const QString& path : {fresh, old}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const struct utimbuf twoDaysAgo
    {
        time(nullptr) - 2 * 24 * 3600, time(nullptr) - 2 * 24 * 3600
    };
    QCOMPARE(::utime(QFile::encodeName(old).constData(), &twoDaysAgo), 0);
    QCOMPARE(removeStaleDataFolderTemporaries(dataFolder(), share), QStringList{old});
    QVERIFY(QFileInfo::exists(fresh));
    // In the data folder's own archive the same file is stale at once.
    QVERIFY(QDir().mkpath(dataFolder() + "/Fatture/2026"));
    const QString own = dataFolder() + "/Fatture/2026/.Fattura_2026_1.pdf.999999999.AbC123";
    QVERIFY(QFile::copy(fresh, own));
    QCOMPARE(removeStaleDataFolderTemporaries(dataFolder(), dataFolder()), QStringList{own});
}

void ArchiveFolderTest::stagedFilesWithTheFolderSyncedOnce()
{
    // Several files put in place, their folder left to the caller: each is
    // whole under its name, no temporary is left, an earlier file replaced.
    const QString folder = dataFolder() + "/Fatture/2026";
    QVERIFY(QDir().mkpath(folder));
    QFile earlier(folder + "/b.xml");
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("prima") == 5);
    earlier.close();
    QString error;
    for (const char* name : {"a.xml", "b.xml"}) {
        StagedFile staged(folder + "/" + name);
        QVERIFY2(staged.create(&error), qPrintable(error));
        QFile file(staged.path());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(name) == 5);
        file.close();
        QVERIFY2(staged.commit(&error, StagedFile::FolderSync::ByCaller), qPrintable(error));
    }
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), (QStringList{"a.xml", "b.xml"}));
    QFile replaced(folder + "/b.xml");
    QVERIFY(replaced.open(QIODevice::ReadOnly));
    QCOMPARE(replaced.readAll(), QByteArray("b.xml"));
    QVERIFY2(StagedFile::syncFolder(folder, &error), qPrintable(error));

    // A folder that is not there cannot be synced, and says so.
    QVERIFY(!StagedFile::syncFolder(folder + "/2027", &error));
    QVERIFY2(error.startsWith("Impossibile salvare la cartella " + folder + "/2027: "),
             qPrintable(error));
}
