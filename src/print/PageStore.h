#pragma once

#include <QString>
#include <memory>

class PageFolder;

// The page files of one printout, "~WRK0000.Tmp" and on, in a private
// folder made on first use.
class PageStore
{
public:
    // What happens to the folder when the store ends.
    enum class Folder {
        Own,      // removed with the store
        Reusable, // emptied and kept for the next store (PageFolderPool)
    };

    explicit PageStore(Folder folder = Folder::Own);
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
    // Puts an emptied file of an earlier document in the place of page's
    // file, when there is one and the page has none, so that writing the
    // page makes no new file. Returns the page's path.
    QString reusePageFile(int page);
    // No page file is left: each is kept aside under another name for the
    // next document (emptied when the folder is in memory), or removed when
    // that fails.
    void DeletePageFiles();
    // The same for one page.
    void deletePageFile(int page);

private:
    void setAside(const QString& path);

    std::unique_ptr<PageFolder> m_folder;
    Folder m_folderKind;
};
