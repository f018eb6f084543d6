#include "PageFileWriter.h"

#include "PageRange.h"
#include "PageStore.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A page's records are written in pieces of about this size at most.
constexpr qsizetype kFlushBytes = 64 * 1024;

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

PageFileWriter::PageFileWriter(PageStore& store) : m_store(store), m_pageLimit(kMostPages)
{
    m_buffer.reserve(kFlushBytes + 1024);
}

PageFileWriter::~PageFileWriter()
{
    abandon();
}

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
    if (m_page + 1 >= m_pageLimit) {
        abandon();
        return fail(error, QStringLiteral("Il documento supera le %1 pagine.").arg(m_pageLimit));
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
    m_buffer.clear();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
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
    m_path = path;
    // A file of an earlier page, written over and then cut to length (on a
    // disk a file emptied and written again is flushed when closed), or a
    // new one; never through a link.
    m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                  0600);
    if (m_fd < 0)
        return fail(error, QStringLiteral("Impossibile creare il file di pagina %1: %2")
                               .arg(path, systemError(errno)));
    struct stat st;
    m_oldSize = ::fstat(m_fd, &st) == 0 ? st.st_size : std::numeric_limits<qint64>::max();
    m_written = 0;
    m_buffer.resize(0); // keeps its room for the next page
    m_drawingRecordsOnPage = 0;
    return true;
}

bool PageFileWriter::flush()
{
    const char* data = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0 && !m_writeFailed) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_writeFailed = true;
            m_writeError = written < 0 ? systemError(errno) : QStringLiteral("disco pieno");
            break;
        }
        data += written;
        left -= written;
        m_written += written;
    }
    m_buffer.resize(0);
    return !m_writeFailed;
}

bool PageFileWriter::close(QString* error)
{
    if (m_fd < 0)
        return true;
    flush();
    // What an earlier, longer page left after this one's end.
    if (!m_writeFailed && m_oldSize > m_written && ::ftruncate(m_fd, m_written) != 0) {
        m_writeFailed = true;
        m_writeError = systemError(errno);
    }
    if (::close(m_fd) != 0 && !m_writeFailed) {
        m_writeFailed = true;
        m_writeError = systemError(errno);
    }
    m_fd = -1;
    if (m_writeFailed)
        return fail(error, QStringLiteral("Impossibile scrivere il file di pagina %1: %2")
                               .arg(m_path, m_writeError));
    return true;
}

void PageFileWriter::write(int code, std::initializer_list<PageRecord::Field> fields)
{
    if (m_fd < 0 || m_writeFailed)
        return;
    PageRecord::appendLine(m_buffer, code, fields, m_decimalSeparator);
    if (m_buffer.size() >= kFlushBytes)
        flush();
    if (code >= PageRecord::TextStyled)
        ++m_drawingRecordsOnPage;
}
