#pragma once

#include "PageRecord.h"

#include <QByteArray>
#include <QString>
#include <initializer_list>

class PageStore;

// Writes the pages of the document being recorded: one file per page in the
// store, one record per line. A page's records are gathered in memory and
// written when it is closed (or when they grow large). A write that fails is
// remembered and reported when the page is closed.
class PageFileWriter
{
public:
    explicit PageFileWriter(PageStore& store);
    ~PageFileWriter();
    PageFileWriter(const PageFileWriter&) = delete;
    PageFileWriter& operator=(const PageFileWriter&) = delete;

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

    void setDecimalSeparator(char separator) { m_decimalSeparator = separator; }
    // The most pages a document may have; lowered by the tests.
    void setPageLimit(int pages) { m_pageLimit = pages; }
    void write(int code, std::initializer_list<PageRecord::Field> fields);

private:
    bool open(int page, QString* error);
    bool close(QString* error);
    // Writes what is gathered; false, with the reason kept, when it fails.
    bool flush();

    PageStore& m_store;
    int m_fd = -1;
    qint64 m_oldSize = 0; // of the file when opened
    qint64 m_written = 0;
    QString m_path;
    QByteArray m_buffer;
    char m_decimalSeparator = '.';
    int m_page = 0;
    int m_pageLimit;
    QString m_documentFolder;
    int m_drawingRecordsOnPage = 0;
    bool m_writeFailed = false;
    QString m_writeError;
};
