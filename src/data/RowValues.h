#pragma once

#include <QByteArrayView>
#include <QVariantList>
#include <QtGlobal>
#include <functional>

// The current row of a statement read straight from the engine's own
// buffers: a list of a million rows is read without a variant or a string
// made for every value. What a column gives is valid until the next row.
class RowValues
{
public:
    virtual ~RowValues() = default;

    // The number of columns the statement returns.
    virtual int columnCount() const = 0;
    virtual bool isNull(int column) const = 0;
    // The value as a whole number: a real rounded, text read as the engine
    // reads a number from it, Null as 0.
    virtual qint64 integer(int column) const = 0;
    // The value as text, in UTF-8; empty for Null.
    virtual QByteArrayView utf8(int column) const = 0;
};

// Called for each row in turn; returning false ends the reading early.
using RowVisitor = std::function<bool(const RowValues& row)>;

// The same for a row of values as Qt's driver gives them (QSqlQuery::value):
// the same types and contents, one variant per column.
using ValueRowVisitor = std::function<bool(const QVariantList& row)>;
