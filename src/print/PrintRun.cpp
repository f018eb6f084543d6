#include "PrintRun.h"

#include "PageReplayer.h"

PrintRun::PrintRun(QPagedPaintDevice& device)
    : m_device(device), m_store(PageStore::Folder::Reusable), m_recorder(m_store, device)
{
}

bool PrintRun::ReplayPage(int page, PageTarget& target, QString* error, int* skipped)
{
    if (skipped)
        *skipped = 0;
    if (m_recorder.recording()) {
        if (error)
            *error = QStringLiteral("Il documento è ancora in registrazione.");
        return false;
    }
    // The folder may hold the files of an earlier document: only the pages
    // of this one are read.
    if (page < 0 || page >= m_recorder.pageCount()) {
        if (error)
            *error =
                QStringLiteral("Impossibile leggere la pagina %1 (non registrata).").arg(page + 1);
        return false;
    }
    // Page 0 has no state record: it is drawn in the units the layout left
    // set and the font the document began with.
    const PageStart start{m_recorder.UnitY, m_recorder.UnitX, m_recorder.documentFont()};
    return PageReplayer(m_store, start).ReplayPage(page, target, error, skipped);
}
