#pragma once

#include <QString>
#include <memory>

class PageFolder;

// The page files of one printout, "~WRK0000.Tmp" and on, in a private
// folder made on first use and removed with the store.
class PageStore
{
public:
    PageStore();
    ~PageStore();
    PageStore(const PageStore&) = delete;
    PageStore& operator=(const PageStore&) = delete;

    // The folder of the page files; empty, with the reason in error, when
    // none can be made.
    QString TempFolder(QString* error = nullptr);
    QString pageFilePath(int page);
    // The file of a page in the folder as it is, without looking at the disk
    // or making a folder: for reading pages back, a thousand at a time.
    // Empty when there is no folder.
    QString recordedPagePath(int page) const;
    void DeletePageFiles();

private:
    std::unique_ptr<PageFolder> m_folder;
};
