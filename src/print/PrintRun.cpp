#include "PrintRun.h"

#include "PageReplayer.h"

PrintRun::PrintRun(QPagedPaintDevice& device) : m_device(device), m_recorder(m_store, device) {}

bool PrintRun::ReplayPage(int page, PageTarget& target, QString* error, int* skipped)
{
    if (skipped)
        *skipped = 0;
    if (m_recorder.recording()) {
        if (error)
            *error = QStringLiteral("Il documento è ancora in registrazione.");
        return false;
    }
    // Page 0 has no state record: it is drawn in the units the layout left
    // set and the font the document began with.
    const PageStart start{m_recorder.UnitY, m_recorder.UnitX, m_recorder.documentFont()};
    return PageReplayer(m_store, start).ReplayPage(page, target, error, skipped);
}
