#include "CodeUsage.h"

#include "Database.h"
#include "KeyText.h"
#include "Schema.h"
#include "Snapshot.h"

#include <QStringList>

namespace {

QString counted(int count, const char* one, const char* many)
{
    return QString::number(count) + QLatin1Char(' ') + QString::fromUtf8(count == 1 ? one : many);
}

} // namespace

std::optional<CodeUsage> documentsUsingCode(Database& db, CodeOwner owner, const QString& code,
                                            QString* error)
{
    // Documents store the code as the key of the client or supplier; any
    // older spelling in another case or with trailing blanks still counts.
    const QString key = normalizeKey(code, 0);
    const bool client = owner == CodeOwner::Client;
    auto count = [&db](Table table, int column) {
        const TableDef& def = tableDef(table);
        return QStringLiteral("(SELECT count(*) FROM %1 WHERE upper(rtrim(%2)) = ?)")
            .arg(db.quoted(def.name), db.quoted(def.columns.at(std::size_t(column)).name));
    };
    const QString sql =
        QStringLiteral("SELECT ") +
        (client ? count(Table::Fatture, int(FeeColumn::Client)) + QStringLiteral(", ") +
                      count(Table::Parcelle, int(FeeColumn::Client))
                : count(Table::Movimenti, int(PurchaseColumn::Supplier)));
    const auto result =
        Snapshot::Open(db, sql, client ? QVariantList{key, key} : QVariantList{key}, error);
    if (!result)
        return std::nullopt;
    CodeUsage usage;
    if (client) {
        usage.fatture = result->value(0).toInt();
        usage.parcelle = result->value(1).toInt();
    } else {
        usage.movimenti = result->value(0).toInt();
    }
    return usage;
}

QString deletionRefusal(CodeOwner owner, const QString& code, const CodeUsage& usage)
{
    QStringList kinds;
    if (usage.fatture > 0)
        kinds << counted(usage.fatture, "fattura", "fatture");
    if (usage.parcelle > 0)
        kinds << counted(usage.parcelle, "parcella", "parcelle");
    if (usage.movimenti > 0)
        kinds << counted(usage.movimenti, "movimento", "movimenti");
    const QString who = owner == CodeOwner::Client ? QStringLiteral("Il cliente ")
                                                   : QStringLiteral("Il fornitore ");
    return who + normalizeKey(code, 0).trimmed() +
           QStringLiteral(" non può essere eliminato: è usato da ") +
           counted(usage.total(), "documento", "documenti") + QStringLiteral(" (") +
           kinds.join(QStringLiteral(", ")) + QStringLiteral(").");
}
