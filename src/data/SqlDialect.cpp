#include "SqlDialect.h"

#include <QSqlError>

QString SqlDialect::engineText(const QSqlError& error) const
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.trimmed();
}
