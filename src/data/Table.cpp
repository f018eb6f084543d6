#include "Table.h"

QString nameOf(Table table)
{
    switch (table) {
    case Table::Clienti:
        return QStringLiteral("Clienti");
    case Table::Fatture:
        return QStringLiteral("Fatture");
    case Table::Fornitori:
        return QStringLiteral("Fornitori");
    case Table::Movimenti:
        return QStringLiteral("Movimenti");
    case Table::Parcelle:
        return QStringLiteral("Parcelle");
    }
    return {};
}

std::optional<Table> tableFromIndex(int index)
{
    if (index < 0 || index >= int(kTables.size()))
        return std::nullopt;
    return kTables[std::size_t(index)];
}
