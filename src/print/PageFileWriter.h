#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

class PageStore;

// Writes the pages of the document being recorded: one file per page in the
// store, one record per line. A write that fails is remembered and reported
// when the page is closed.
class PageFileWriter
{
public:
    explicit PageFileWriter(PageStore& store);

    // Deletes the pages of an earlier document and opens page 0.
    bool begin(QString* error);
    // Closes the current page and opens the next one.
    bool nextPage(QString* error);
    // Closes the last page. A last page with nothing drawn on it (a layout
    // that calls NewPage after its last line) is dropped.
    bool finish(QString* error);
    // Closes the open page without a word, as when the document is given up.
    void abandon();

    // The 0-based page being written; after finish() the last page.
    int currentPage() const { return m_page; }

    void write(int code, const QStringList& fields);

private:
    bool open(int page, QString* error);
    bool close(QString* error);

    PageStore& m_store;
    QFile m_file;
    int m_page = 0;
    QString m_documentFolder;
    int m_drawingRecordsOnPage = 0;
    bool m_writeFailed = false;
    QString m_writeError;
};
