#include "FieldDeclaration.h"

FieldDeclaration FieldDeclaration::parse(const QString& tag)
{
    FieldDeclaration d;
    d.tag = tag;
    const QString t = tag.toUpper();
    if (!t.isEmpty())
        d.type = t.at(0);
    if (t.size() >= 4)
        d.link = t.at(3);
    if (d.isCode()) {
        bool ok = false;
        const int table = t.mid(4, 2).toInt(&ok);
        d.table = ok ? tableFromIndex(table) : std::nullopt;
        const int field = t.mid(6, 2).toInt(&ok);
        d.descriptionField = ok ? field : -1;
    }
    d.yearOnlyDate = t.mid(3, 2) == QLatin1String("D-");
    return d;
}

bool FieldDeclaration::isNumber() const
{
    return QStringLiteral("SDLIC").contains(type);
}
