#pragma once

#include "PageRecorder.h"
#include "PageStore.h"

#include <QSizeF>
#include <QString>

class PageTarget;
class QPagedPaintDevice;

// One printout: its page files and the recorder its layout draws with.
// Once recorded, the pages are replayed onto the preview, the printer or a
// PDF as often as needed. The page files go with the run; their folder,
// emptied, serves the next run.
class PrintRun
{
public:
    // Text is measured on device, the printer the document is meant for.
    explicit PrintRun(QPagedPaintDevice& device);
    PrintRun(const PrintRun&) = delete;
    PrintRun& operator=(const PrintRun&) = delete;

    PageRecorder& recorder() { return m_recorder; }
    const PageRecorder& recorder() const { return m_recorder; }
    PageStore& pages() { return m_store; }
    QPagedPaintDevice& device() const { return m_device; }

    int pageCount() const { return m_recorder.pageCount(); }
    QString pageFilePath(int page) { return m_store.pageFilePath(page); }
    QSizeF paperTwips() const { return m_recorder.paperTwips(); }

    // Draws page (0-based) of the recorded document on target; skipped
    // counts the records that were damaged or unknown.
    bool ReplayPage(int page, PageTarget& target, QString* error = nullptr, int* skipped = nullptr);

private:
    QPagedPaintDevice& m_device;
    PageStore m_store;
    PageRecorder m_recorder;
};
