#pragma once

#include "Money.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <variant>

// One sheet handed to the accountant: a header row, then rows of cells that
// keep their kind (text, amount, date, whole number, nothing), so that a
// spreadsheet file can write amounts as numbers and dates as dates, and a
// CSV file can write them the way Italian spreadsheets read them.
using ExportCell = std::variant<std::monostate, QString, Money, QDate, qint64>;

struct ExportSheet
{
    QString name;
    QStringList headers;
    QVector<QVector<ExportCell>> rows;
};

// The sheet as a CSV file for an Italian spreadsheet: UTF-8 with a
// byte-order mark, ";" between fields, lines ended by CR LF, amounts with the
// decimal comma and no grouping ("-1234,50"), dates as dd/mm/yyyy. A field
// holding ";", a quote, a line break or blanks at either end is quoted, its
// quotes doubled; a text that a spreadsheet would take for a formula (it
// starts with =, +, -, @) is written after an apostrophe.
QByteArray csvBytes(const ExportSheet& sheet);
