#pragma once

#include <QObject>
#include <QTemporaryDir>

// The folder the desks of a studio share for the invoice archive, the
// reports, the suppliers' files and the logo, as the settings name it.
class ArchiveFolderTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void pathsFollowTheSetting_data();
    void pathsFollowTheSetting();
    void archiveFolderNeverMade();
    void sharedLogoKeptAndTemporariesLeftToTheirDesk();
    void stagedFilesWithTheFolderSyncedOnce();

private:
    QString dataFolder() const { return m_dir.filePath(QStringLiteral("dati")); }
    void setArchive(const QString& value) const;

    QTemporaryDir m_dir;
};
