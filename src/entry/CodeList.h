#pragma once

#include <QString>
#include <QStringList>

class Database;

// The lines of the code list of a table: each record's key padded to the
// key width, " - ", and its description field in lower case cut to 40
// characters, in key order.
bool codeListLines(Database& db, const QString& table, int descriptionField, QStringList* lines,
                   int* codeWidth, QString* error);

// The code a chosen line stands for.
QString codeOfLine(const QString& line, int codeWidth);
