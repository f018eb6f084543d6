#include "PageSalvage.h"

#include <QFile>
#include <QStringDecoder>
#include <cstring>
#include <sqlite3.h>

namespace {

constexpr uchar kTableLeaf = 0x0d;
constexpr uchar kTableInterior = 0x05;
// Deeper than any tree a file of a few gigabytes holds: a loop in a damaged
// file stops here.
constexpr int kDeepest = 40;

quint32 u32(const uchar* p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}

int u16(const uchar* p)
{
    return (p[0] << 8) | p[1];
}

// SQLite's variable-length integer at p, not reading at or past end: its
// length, or 0 when it does not fit.
int varint(const uchar* p, const uchar* end, quint64* value)
{
    quint64 v = 0;
    for (int i = 0; i < 9; ++i) {
        if (p + i >= end)
            return 0;
        if (i == 8) {
            *value = (v << 8) | p[i];
            return 9;
        }
        v = (v << 7) | (p[i] & 0x7f);
        if (!(p[i] & 0x80)) {
            *value = v;
            return i + 1;
        }
    }
    return 0;
}

qint64 signedBigEndian(const uchar* p, int bytes)
{
    quint64 v = (p[0] & 0x80) ? ~quint64(0) : 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | p[i];
    return qint64(v);
}

int fieldLength(quint64 type)
{
    static const int fixed[10] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0};
    if (type < 10)
        return fixed[type];
    if (type < 12 || (type - 12) / 2 > (1u << 30))
        return -1; // reserved, or longer than any value: not a record
    return int((type - 12) / 2);
}

} // namespace

bool PageSalvage::load(const QString& path, MaintenanceError* error)
{
    // Read through SQLite's own file layer, as SQLite reads it: a read the
    // disk fails is an error of its own, told apart from a short file.
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    const QByteArray name = QFile::encodeName(path);
    sqlite3_filename filename = sqlite3_create_filename(name.constData(), "", "", 0, nullptr);
    std::vector<char> handle(std::size_t(vfs->szOsFile), '\0');
    auto* file = reinterpret_cast<sqlite3_file*>(handle.data());
    int flags = 0;
    int rc = vfs->xOpen(vfs, filename, file, SQLITE_OPEN_READONLY | SQLITE_OPEN_MAIN_DB, &flags);
    sqlite3_int64 size = 0;
    QByteArray content;
    if (rc == SQLITE_OK) {
        rc = file->pMethods->xFileSize(file, &size);
        constexpr int kChunk = 1 << 16;
        for (sqlite3_int64 at = 0; rc == SQLITE_OK && at < size; at += kChunk) {
            const int want = int(std::min<sqlite3_int64>(kChunk, size - at));
            QByteArray chunk(want, '\0');
            rc = file->pMethods->xRead(file, chunk.data(), want, at);
            if (rc == SQLITE_IOERR_SHORT_READ)
                rc = SQLITE_OK; // cut short meanwhile: the rest reads as zeros
            content.append(chunk);
        }
    }
    if (file->pMethods)
        file->pMethods->xClose(file);
    sqlite3_free_filename(filename);
    if (rc != SQLITE_OK) {
        *error = {QStringLiteral("Il disco non ha potuto leggere il file %1: la riparazione si è "
                                 "fermata e il file non è stato modificato (%2).")
                      .arg(path, QString::fromUtf8(sqlite3_errstr(rc))),
                  rc};
        return false;
    }
    m_file = content;
    m_realSize = content.size();
    const auto* data = reinterpret_cast<const uchar*>(m_file.constData());
    if (m_file.size() >= 100) {
        const int size = u16(data + 16) == 1 ? 65536 : u16(data + 16);
        m_pageSize =
            (size >= 512 && size <= 65536 && (size & (size - 1)) == 0) ? size : guessPageSize();
        const int reserved = data[20];
        m_usable = reserved < m_pageSize - 480 ? m_pageSize - reserved : m_pageSize;
        const quint32 encoding = u32(data + 56);
        m_encoding = encoding >= 1 && encoding <= 3 ? int(encoding) : 1;
    }
    // A page cut short is read as far as it goes.
    m_pageCount = quint32((m_file.size() + m_pageSize - 1) / m_pageSize);
    m_file.append(QByteArray(qsizetype(m_pageCount) * m_pageSize - m_file.size(), '\0'));
    readFreelist();
    return true;
}

int PageSalvage::guessPageSize() const
{
    // The size under which most pages look like table leaves.
    int best = 4096;
    int bestLeaves = 0;
    for (int size = 512; size <= 65536; size *= 2) {
        int leaves = 0;
        for (qsizetype at = size; at + 8 <= m_file.size(); at += size)
            if (uchar(m_file.at(at)) == kTableLeaf && uchar(m_file.at(at + 7)) < 64)
                ++leaves;
        if (leaves > bestLeaves) {
            best = size;
            bestLeaves = leaves;
        }
    }
    return best;
}

const uchar* PageSalvage::page(quint32 number) const
{
    if (number < 1 || number > m_pageCount)
        return nullptr;
    return reinterpret_cast<const uchar*>(m_file.constData()) + qsizetype(number - 1) * m_pageSize;
}

void PageSalvage::readFreelist()
{
    if (m_file.size() < 100)
        return;
    const auto* header = reinterpret_cast<const uchar*>(m_file.constData());
    quint32 trunk = u32(header + 32);
    // A free page's leftover rows were deleted: never brought back.
    while (trunk && page(trunk) && !m_free.count(trunk)) {
        m_free.insert(trunk);
        const uchar* p = page(trunk);
        const quint32 leaves = std::min<quint32>(u32(p + 4), quint32(m_usable / 4 - 2));
        for (quint32 i = 0; i < leaves; ++i)
            m_free.insert(u32(p + 8 + 4 * i));
        trunk = u32(p);
    }
}

bool PageSalvage::isTableLeaf(quint32 number) const
{
    const uchar* p = page(number);
    if (!p)
        return false;
    const int h = headerOffset(number);
    const int cells = u16(p + h + 3);
    return p[h] == kTableLeaf && h + 8 + 2 * cells <= m_usable;
}

bool PageSalvage::realBytes(const uchar* from, qint64 count) const
{
    return from - reinterpret_cast<const uchar*>(m_file.constData()) + count <= m_realSize;
}

bool PageSalvage::payloadOf(quint32 number, int cellOffset, qint64* rowid, QByteArray* payload,
                            bool* cut) const
{
    const uchar* p = page(number);
    const uchar* end = p + m_usable;
    if (cellOffset < headerOffset(number) + 8 || cellOffset >= m_usable)
        return false;
    const uchar* cell = p + cellOffset;
    quint64 size = 0;
    quint64 id = 0;
    int n = varint(cell, end, &size);
    if (!n)
        return false;
    const int m = varint(cell + n, end, &id);
    if (!m || size > quint64(m_file.size()))
        return false;
    cell += n + m;
    *rowid = qint64(id);
    const qint64 total = qint64(size);
    const qint64 most = m_usable - 35;
    qint64 local = total;
    if (total > most) {
        const qint64 least = ((m_usable - 12) * 32 / 255) - 23;
        const qint64 k = least + (total - least) % (m_usable - 4);
        local = k <= most ? k : least;
    }
    if (cell + local + (local < total ? 4 : 0) > end)
        return false;
    if (!realBytes(cell, local + (local < total ? 4 : 0))) {
        *cut = true;
        return false;
    }
    payload->clear();
    payload->append(reinterpret_cast<const char*>(cell), local);
    quint32 overflow = local < total ? u32(cell + local) : 0;
    std::set<quint32> seen;
    while (payload->size() < total) {
        const uchar* o = page(overflow);
        if (!o || !seen.insert(overflow).second || m_free.count(overflow))
            return false;
        const qint64 take = std::min<qint64>(total - payload->size(), m_usable - 4);
        if (!realBytes(o, 4 + take)) {
            *cut = true;
            return false;
        }
        payload->append(reinterpret_cast<const char*>(o + 4), take);
        overflow = u32(o);
    }
    return true;
}

bool PageSalvage::decodeRecord(const QByteArray& payload, QVariantList* values) const
{
    const auto* begin = reinterpret_cast<const uchar*>(payload.constData());
    const uchar* end = begin + payload.size();
    quint64 headerSize = 0;
    const int n = varint(begin, end, &headerSize);
    if (!n || headerSize > quint64(payload.size()) || headerSize < quint64(n))
        return false;
    std::vector<quint64> types;
    for (const uchar* at = begin + n; at < begin + headerSize;) {
        quint64 type = 0;
        const int m = varint(at, begin + headerSize, &type);
        if (!m || fieldLength(type) < 0)
            return false;
        types.push_back(type);
        at += m;
    }
    qint64 body = 0;
    for (const quint64 type : types)
        body += fieldLength(type);
    // Every byte accounted for: a record read from damage rarely adds up.
    if (qint64(headerSize) + body != payload.size())
        return false;
    values->clear();
    const uchar* at = begin + headerSize;
    for (const quint64 type : types) {
        const int length = fieldLength(type);
        if (type == 0) {
            values->append(QVariant());
        } else if (type <= 6) {
            values->append(QVariant(signedBigEndian(at, length)));
        } else if (type == 7) {
            const quint64 bits = quint64(signedBigEndian(at, 8));
            double d;
            std::memcpy(&d, &bits, sizeof d);
            values->append(QVariant(d));
        } else if (type == 8 || type == 9) {
            values->append(QVariant(qint64(type - 8)));
        } else if (type % 2 == 0) {
            values->append(QVariant(QByteArray(reinterpret_cast<const char*>(at), length)));
        } else {
            QStringDecoder decoder(m_encoding == 1   ? QStringConverter::Utf8
                                   : m_encoding == 2 ? QStringConverter::Utf16LE
                                                     : QStringConverter::Utf16BE,
                                   QStringConverter::Flag::Stateless);
            const QString text = decoder(QByteArrayView(reinterpret_cast<const char*>(at), length));
            if (decoder.hasError())
                return false;
            values->append(QVariant(text));
        }
        at += length;
    }
    return true;
}

std::vector<PageSalvage::Row> PageSalvage::leafRows(quint32 number, qint64* unreadable,
                                                    std::set<qint64>* cut) const
{
    std::vector<Row> rows;
    if (!isTableLeaf(number))
        return rows;
    const uchar* p = page(number);
    const int h = headerOffset(number);
    const int cells = u16(p + h + 3);
    for (int i = 0; i < cells; ++i) {
        Row row;
        QByteArray payload;
        bool cutShort = false;
        if (payloadOf(number, u16(p + h + 8 + 2 * i), &row.rowid, &payload, &cutShort) &&
            decodeRecord(payload, &row.values))
            rows.push_back(std::move(row));
        else
            ++*unreadable;
        if (cutShort && cut)
            cut->insert(row.rowid);
    }
    return rows;
}

void PageSalvage::walk(quint32 number, int depth, std::map<qint64, QVariantList>* rows,
                       qint64* unreadable, std::set<qint64>* cut)
{
    const uchar* p = page(number);
    if (!p || depth > kDeepest || m_free.count(number) || !m_reached.insert(number).second)
        return;
    const int h = headerOffset(number);
    if (p[h] == kTableLeaf) {
        for (Row& row : leafRows(number, unreadable, cut))
            rows->emplace(row.rowid, std::move(row.values));
        return;
    }
    if (p[h] != kTableInterior)
        return;
    const int cells = u16(p + h + 3);
    if (h + 12 + 2 * cells > m_usable)
        return;
    for (int i = 0; i < cells; ++i) {
        const int offset = u16(p + h + 12 + 2 * i);
        if (offset + 4 <= m_usable && offset >= h + 12)
            walk(u32(p + offset), depth + 1, rows, unreadable, cut);
    }
    walk(u32(p + h + 8), depth + 1, rows, unreadable, cut);
}

std::map<qint64, QVariantList> PageSalvage::treeRows(quint32 root, qint64* unreadable,
                                                     std::set<qint64>* cut)
{
    std::map<qint64, QVariantList> rows;
    walk(root, 0, &rows, unreadable, cut);
    return rows;
}

std::vector<PageSalvage::SchemaRow> PageSalvage::schema()
{
    std::vector<SchemaRow> entries;
    qint64 unreadable = 0;
    for (const auto& [rowid, values] : treeRows(1, &unreadable)) {
        if (values.size() != 5)
            continue;
        const qint64 root = values.at(3).toLongLong();
        entries.push_back({values.at(0).toString(), values.at(1).toString(),
                           root > 0 && root <= qint64(m_pageCount) ? quint32(root) : 0,
                           values.at(4).toString()});
    }
    return entries;
}

std::vector<quint32> PageSalvage::orphanLeaves() const
{
    std::vector<quint32> pages;
    for (quint32 number = 2; number <= m_pageCount; ++number)
        if (!m_reached.count(number) && !m_free.count(number) && isTableLeaf(number))
            pages.push_back(number);
    return pages;
}
