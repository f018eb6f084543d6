#include "CodeList.h"

#include "Database.h"
#include "KeyText.h"
#include "Recordset.h"
#include "Snapshot.h"

bool codeListLines(Database& db, const QString& table, int descriptionField, QStringList* lines,
                   int* codeWidth, QString* error)
{
    lines->clear();
    const auto rs = Recordset::OpenTable(db, table, error);
    if (!rs)
        return false;
    *codeWidth = rs->fieldInfo(0).size;
    const bool hasDescription = descriptionField > 0 && descriptionField < rs->fieldCount();
    // One read of the two columns: the list must open at once on a large table.
    const QString key = db.quoted(rs->fieldInfo(0).name);
    const QString description =
        hasDescription ? db.quoted(rs->fieldInfo(descriptionField).name) : QStringLiteral("NULL");
    const auto snapshot = Snapshot::Open(
        db,
        QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1").arg(key, description, db.quoted(table)),
        {}, error);
    if (!snapshot)
        return false;
    lines->reserve(snapshot->RecordCount());
    for (const QVariantList& row : snapshot->rows()) {
        const QString code =
            keyUpper(row.value(0).toString()).leftJustified(*codeWidth, QLatin1Char(' '), true);
        const QString name =
            row.value(1).isNull() ? QString() : row.value(1).toString().toLower().left(40);
        lines->append(code + QStringLiteral(" - ") + name);
    }
    return true;
}

QString codeOfLine(const QString& line, int codeWidth)
{
    return line.left(codeWidth).trimmed();
}
