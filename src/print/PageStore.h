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
    void DeletePageFiles();

private:
    std::unique_ptr<PageFolder> m_folder;
};
