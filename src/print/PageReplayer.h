#pragma once

#include "PageTarget.h"

#include <QByteArrayView>
#include <QString>

class PageDrawer;
class PageStore;

// The units and font a page is replayed from until its state record, if
// any, says otherwise; the recorder's as the document was recorded.
struct PageStart
{
    double unitY = 0;
    double unitX = 0;
    FontState font;
};

// Reads a page file of the store and draws its records on a target, as
// often as needed: the preview redraws a page at every navigation, resize
// or zoom. Records that are damaged or of an unknown kind are skipped.
class PageReplayer
{
public:
    PageReplayer(PageStore& store, const PageStart& start);

    // page is 0-based; skipped counts the records left out. False, with the
    // reason, when the page file cannot be read.
    bool ReplayPage(int page, PageTarget& target, QString* error = nullptr, int* skipped = nullptr);

private:
    bool replayLine(PageDrawer& drawer, QByteArrayView line);

    PageStore& m_store;
    PageStart m_start;
};
