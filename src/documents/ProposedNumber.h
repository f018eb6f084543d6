#pragma once

#include <QDate>
#include <QString>

class Recordset;

// Whether a table's numbers start again from 1 in a new year.
enum class NumberingRestart { Never, EachYear };

// The number proposed for a new document dated today in one of the document
// tables: the last one in key order plus 1, or 1 on an empty table; when
// numbering restarts each year, also 1 when the last document is dated in
// another year than today's. A number that already names a document of
// today's year gives way to the highest number of that year plus 1.
QString proposedNumber(Recordset& table, NumberingRestart restart, const QDate& today);

// What a document window says when the number typed for a new document was
// stored by another desk meanwhile and `number` is proposed in its place:
// "La fattura 12/2026 è già in archivio: un'altra postazione ha usato il
// numero nel frattempo. Proposto il numero 13."
QString takenNumberText(const QString& taken, const QString& number);
