#include "PageFileWriter.h"

#include "PageRecord.h"
#include "PageStore.h"

#include <QFileInfo>

namespace {

// Page numbers are 16-bit: the layouts count pages that way.
constexpr int kMaxPages = 32767;

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

PageFileWriter::PageFileWriter(PageStore& store) : m_store(store) {}

bool PageFileWriter::begin(QString* error)
{
    abandon();
    m_writeFailed = false;
    m_writeError.clear();
    m_page = 0;
    if (m_store.TempFolder(error).isEmpty())
        return false;
    m_store.DeletePageFiles();
    return open(0, error);
}

bool PageFileWriter::nextPage(QString* error)
{
    if (m_page + 1 >= kMaxPages) {
        abandon();
        return fail(error, QStringLiteral("Il documento supera le %1 pagine.").arg(kMaxPages));
    }
    if (!close(error))
        return false;
    ++m_page;
    return open(m_page, error);
}

bool PageFileWriter::finish(QString* error)
{
    if (!close(error))
        return false;
    if (m_page > 0 && m_drawingRecordsOnPage == 0) {
        m_store.deletePageFile(m_page);
        --m_page;
    }
    return true;
}

void PageFileWriter::abandon()
{
    if (m_file.isOpen())
        m_file.close();
}

bool PageFileWriter::open(int page, QString* error)
{
    const QString path = m_store.reusePageFile(page);
    if (path.isEmpty())
        return fail(error,
                    QStringLiteral("Impossibile creare la cartella temporanea delle pagine."));
    // The earlier pages went with a folder that was removed meanwhile.
    if (page == 0)
        m_documentFolder = QFileInfo(path).path();
    else if (QFileInfo(path).path() != m_documentFolder)
        return fail(error, QStringLiteral("La cartella temporanea delle pagine è stata rimossa."));
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(error, QStringLiteral("Impossibile creare il file di pagina %1: %2")
                               .arg(path, m_file.errorString()));
    m_drawingRecordsOnPage = 0;
    return true;
}

bool PageFileWriter::close(QString* error)
{
    if (!m_file.isOpen())
        return true;
    const bool flushed = m_file.flush();
    m_file.close();
    if (!flushed && !m_writeFailed) {
        m_writeFailed = true;
        m_writeError = m_file.errorString();
    }
    if (m_writeFailed)
        return fail(error, QStringLiteral("Impossibile scrivere il file di pagina %1: %2")
                               .arg(m_file.fileName(), m_writeError));
    return true;
}

void PageFileWriter::write(int code, const QStringList& fields)
{
    if (!m_file.isOpen() || m_writeFailed)
        return;
    const QByteArray bytes = PageRecord::line(code, fields);
    if (m_file.write(bytes) != bytes.size()) {
        m_writeFailed = true;
        m_writeError = m_file.errorString();
    }
    if (code >= PageRecord::TextStyled)
        ++m_drawingRecordsOnPage;
}
