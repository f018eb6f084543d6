#pragma once

#include "FieldType.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

class Database;
class QSqlQuery;

struct FieldInfo
{
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;
};

// A table opened in key order with a current record, as the archive windows
// use it: seek by key, walk, add, edit, delete, fields by position. Every
// move reads through the index, so the recordset always sees the table as it
// is now and never holds more than one row. Fields, types and widths are the
// database's layout of the table (its schema); a record is known by its key,
// and in a table without a key by all its fields.
class Recordset
{
public:
    // Opens a table in the order of its primary key (Chiave), or in the
    // order of its fields for a table without one. Returns null and the
    // reason for a table the database's layout does not have.
    static std::unique_ptr<Recordset> OpenTable(Database& db, const QString& table, QString* error);

    int fieldCount() const { return int(m_fields.size()); }
    const FieldInfo& fieldInfo(int i) const { return m_fields.at(i); }
    int keyWidth() const;

    // Seek with "=" or ">=". A search that finds nothing is not an error: it
    // sets NoMatch. Returns false only when the database failed.
    bool Seek(const QString& comparison, const QVariant& key);
    bool NoMatch() const { return m_noMatch; }

    bool MoveFirst();
    bool MoveNext();
    bool MoveLast();
    // No current record: after walking past the last one, on an empty table,
    // after a seek that found nothing or after a delete.
    bool Eof() const { return !m_hasCurrent; }
    int RecordCount();

    // The current record's field (or the edit buffer's, between AddNew or
    // Edit and Update). Null fields are null variants; dates are QDate.
    QVariant value(int i) const;
    // The same value as text: Null as "", dates as dd/mm/yyyy.
    QString text(int i) const;

    void AddNew();
    // Starts editing the current record. `loaded`, when not 0, is the
    // version the record had when it was loaded for editing: a record
    // stored since with another version is not edited (lastFailure() is
    // then ChangedElsewhere).
    bool Edit(qint64 loaded = 0);
    // Converts and checks the value for the field's type. Empty text stores
    // Null; text beyond the field's width, or text that is not a number or a
    // date for such a field, is refused.
    bool setValue(int i, const QVariant& v);
    // Writes the buffer in one transaction; on failure the table is left as it
    // was and the buffer kept, so the caller can report and retry.
    bool Update();
    void CancelUpdate();
    bool Delete();

    bool editing() const { return m_mode != Mode::None; }
    QString lastError() const { return m_error; }

    // The current record's row version (Versione): 1 when first stored, one
    // more at each save. An update or a delete goes ahead only while the
    // stored row still has the version it was read with, whichever program
    // wrote it meanwhile; Update and AddNew set it themselves. 0 with no
    // current record, or in a table without one.
    qint64 version() const;

    // What made the last Update or Delete fail, beyond its text.
    enum class Failure {
        None,
        Other,
        // The row is no longer as it was read: another connection changed
        // or deleted it.
        ChangedElsewhere,
        // A new record's key is stored already.
        KeyTaken,
    };
    Failure lastFailure() const { return m_failure; }

private:
    enum class Mode { None, AddNew, Edit };
    Recordset(Database& db, QString table);
    bool loadFields();
    // Makes the first row of the condition, in the table's order (backwards
    // when last) and past offset rows, the current one.
    bool fetchOne(const QString& where, bool last, const QVariantList& values, int offset = 0);
    // Makes the record just written, its fields as stored, the current one.
    bool fetchRow(const QVariantList& stored);
    // The condition that finds the current record, and its values.
    QVariantList identity(QString* where) const;
    QString sameRowCondition() const;
    bool fail(const QString& error);
    // Runs a statement that writes in its own transaction (a savepoint
    // inside the caller's); false when it failed or changed no row.
    // Runs a change in a transaction of its own (nested in the caller's).
    // When `versionAt` names the value of the row version, the engine's
    // write stamp, where it has one, replaces it and lands in *version.
    bool write(const QString& sql, QVariantList values, QSqlQuery* q, int versionAt = -1,
               QVariant* version = nullptr);

    Database& m_db;
    QString m_table;
    QString m_quotedTable;
    QVector<FieldInfo> m_fields;
    QStringList m_columns; // the fields' names as SQL
    QString m_order;
    QString m_reverseOrder;
    bool m_keyed = false;
    bool m_textKey = false;
    int m_versionIndex = -1; // the row version's position, -1 without one

    bool m_hasCurrent = false;
    int m_position = 0;       // of the current row, in a table without a key
    QVariantList m_rowStored; // the current row as stored
    QVariantList m_row;
    QVariantList m_buffer;
    Mode m_mode = Mode::None;
    bool m_noMatch = false;
    QString m_error;
    Failure m_failure = Failure::None;
};

// Converts a value for a column of the given type, as stored: Null for
// empty text, whole numbers for integer kinds, ISO text for dates.
bool toStorage(const FieldInfo& field, const QVariant& in, QVariant* out, QString* error);
// A stored value as the program reads it (dates become QDate).
QVariant fromStorage(const FieldInfo& field, const QVariant& stored);
// A read value as text: Null as "", dates as dd/mm/yyyy, numbers plain.
QString valueText(const QVariant& v);
