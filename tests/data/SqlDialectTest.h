#pragma once

#include <QObject>

// The embedded engine's dialect: what the data layer asks of an engine.
class SqlDialectTest : public QObject
{
    Q_OBJECT
private slots:
    void errorsByKind_data();
    void errorsByKind();
    void catalogueReadsTheSchemaBack();
    void declaredTypesOfOlderFiles();
    void rowsAreReadAsStored();
    void valueRowsAreTheDriversValues();
};
