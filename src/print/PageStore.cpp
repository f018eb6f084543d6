#include "PageStore.h"

#include "PageFolder.h"
#include "PageRecord.h"

#include <QDir>
#include <QFileInfo>

PageStore::PageStore() = default;

PageStore::~PageStore() = default;

QString PageStore::TempFolder(QString* error)
{
    // A folder removed behind our back (a cleaner of old temporary files)
    // is made again.
    if (m_folder && m_folder->isValid() && QFileInfo(m_folder->path()).isDir())
        return m_folder->path();
    // A folder of our own, readable by this user only, under the first
    // usable temporary folder: never a predictable name in a shared place.
    const QStringList bases = pageFolderBases();
    auto folder = std::make_unique<PageFolder>(bases);
    if (folder->isValid()) {
        m_folder = std::move(folder);
        return m_folder->path();
    }
    if (error)
        *error = QStringLiteral("Impossibile creare la cartella temporanea delle pagine in %1.")
                     .arg(bases.join(QStringLiteral(", ")));
    return {};
}

QString PageStore::pageFilePath(int page)
{
    const QString folder = TempFolder();
    return folder.isEmpty() ? QString()
                            : folder + QLatin1Char('/') + PageRecord::pageFileName(page);
}

QString PageStore::recordedPagePath(int page) const
{
    if (!m_folder || !m_folder->isValid())
        return {};
    return m_folder->path() + QLatin1Char('/') + PageRecord::pageFileName(page);
}

void PageStore::DeletePageFiles()
{
    if (!m_folder || !m_folder->isValid())
        return;
    QDir dir(m_folder->path());
    const QStringList files = dir.entryList({QString::fromLatin1(PageRecord::kPageFilePattern)},
                                            QDir::Files | QDir::Hidden);
    for (const QString& name : files)
        dir.remove(name);
}
