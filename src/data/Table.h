#pragma once

#include <QString>
#include <array>
#include <optional>

// The program's archive tables. Field declarations name them by a two-digit
// index ("AOLA0002": table 00, the clients), which is their order here.
enum class Table { Clienti, Fatture, Fornitori, Movimenti, Parcelle };

// Every archive table, in index order: what the archive list offers.
inline constexpr std::array kTables = {Table::Clienti, Table::Fatture, Table::Fornitori,
                                       Table::Movimenti, Table::Parcelle};

// The table's name in the database.
QString nameOf(Table table);

// The table of a declaration's index; nothing for an index beyond the tables.
std::optional<Table> tableFromIndex(int index);
