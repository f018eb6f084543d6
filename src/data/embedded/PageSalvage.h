#pragma once

#include "DatabaseMaintenance.h"

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <map>
#include <set>
#include <vector>

// Reads the rows of a damaged SQLite file straight from its pages, without
// SQLite: SQLite gives up on a file cut short or whose schema page is
// damaged, and cannot reach the leaves under a damaged inner page, while
// each leaf page that is still whole holds its rows in a layout of its own
// (the file format of sqlite.org/fileformat.html). Debian's SQLite has no
// recovery of its own (no sqlite_dbpage, no sqlite3_recover), so the
// repair reads the pages here.
class PageSalvage
{
public:
    struct Row
    {
        qint64 rowid = 0;
        QVariantList values;
    };

    // One row of the file's own schema (sqlite_schema) that could be read.
    struct SchemaRow
    {
        QString type;
        QString name;
        quint32 rootPage = 0;
        QString sql;
    };

    // Reads the whole file; false when the disk fails to read it.
    bool load(const QString& path, MaintenanceError* error);

    // The schema rows page 1's tree still holds.
    std::vector<SchemaRow> schema();

    // The rows of the table tree rooted at root that can be decoded, by
    // rowid; *unreadable counts the cells found but not decoded, and *cut
    // gets the rowids of rows the end of a file cut short runs through (a
    // reader that fills the missing bytes with zeros sees rows of zeros).
    // The pages reached are remembered, so that orphanLeaves() leaves them
    // out.
    std::map<qint64, QVariantList> treeRows(quint32 root, qint64* unreadable,
                                            std::set<qint64>* cut = nullptr);

    // Table leaf pages no tree reached so far and not free: pages whose
    // inner page was damaged, or whose tree is not in the schema any more.
    std::vector<quint32> orphanLeaves() const;
    // The rows a leaf page holds; *unreadable counts cells not decoded.
    std::vector<Row> leafRows(quint32 page, qint64* unreadable,
                              std::set<qint64>* cut = nullptr) const;

    quint32 pageCount() const { return m_pageCount; }

private:
    const uchar* page(quint32 number) const;
    int headerOffset(quint32 number) const { return number == 1 ? 100 : 0; }
    bool isTableLeaf(quint32 number) const;
    bool payloadOf(quint32 number, int cellOffset, qint64* rowid, QByteArray* payload,
                   bool* cut) const;
    bool realBytes(const uchar* from, qint64 count) const;
    bool decodeRecord(const QByteArray& payload, QVariantList* values) const;
    void walk(quint32 number, int depth, std::map<qint64, QVariantList>* rows, qint64* unreadable,
              std::set<qint64>* cut);
    void readFreelist();
    int guessPageSize() const;

    QByteArray m_file;
    qint64 m_realSize = 0; // the bytes the file has; the rest of its last page is zeros
    int m_pageSize = 4096;
    int m_usable = 4096;
    quint32 m_pageCount = 0;
    int m_encoding = 1; // 1 UTF-8, 2 UTF-16le, 3 UTF-16be
    std::set<quint32> m_reached;
    std::set<quint32> m_free;
};
