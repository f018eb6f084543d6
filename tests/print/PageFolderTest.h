#pragma once

#include <QObject>

class PageFolderTest : public QObject
{
    Q_OBJECT
private slots:
    void onlyFoldersOfEndedRunsAreSwept();
    void storeFolderIsLockedWhileItLives();
};
