#pragma once

#include "FieldSpec.h"
#include "FieldType.h"
#include "RecordWrite.h"
#include "Validation.h"

#include <QString>
#include <QVariant>
#include <optional>

class Recordset;

// What the record rules need of a window: its fields' declarations and texts.
// Windows implement it over their controls; tests over plain strings.
class FieldAccess
{
public:
    virtual ~FieldAccess() = default;
    virtual int fieldCount() const = 0; // UltimoDato + 1
    virtual const FieldSpec& fieldSpec(int index) const = 0;
    virtual QString text(int index) const = 0;
    virtual void setText(int index, const QString& text) = 0;
    // The country (ISO 3166 alpha-2) of whom the record's tax codes belong
    // to: only Italian ones are checked.
    virtual QString taxCountry() const { return QStringLiteral("IT"); }
};

// The key the fields with TabIndex 0..UltimaChiave form, in TabIndex order;
// "" when they are all blank.
QString CostruisciChiave(int UltimoDato, int UltimaChiave, const FieldAccess& fields);

// How a stored value is shown in a field of the given declaration.
QString recordValueToText(const FieldDeclaration& field, FieldType storedType,
                          const QVariant& value);
// How a field's text is stored in a column of the given type.
QVariant textToRecordValue(const FieldDeclaration& field, FieldType storedType, const QString& text,
                           bool keyField, const QString& sepMigliaia, const QString& sepDecimali);

enum class LoadOutcome { NoKey, Found, NotFound, Failed };

// Looks the typed key up: a stored record fills every field; a new key clears
// every field that is not part of the key.
LoadOutcome CaricaRecord(Recordset& table, int UltimoDato, int UltimaChiave, FieldAccess& fields,
                         QString* error);

enum class SaveOutcome {
    NoKey,     // the key fields are blank: nothing to store
    StoredNew, // no record had the key: one was added
    Replaced,  // the record of the key was overwritten
    KeyTaken,  // a record has the key and the mode is AddOnly: nothing written
    Failed,    // the database or a column refused: error says why
    // Nothing written: since the record was loaded (its version given),
    // another desk changed it, or deleted it.
    ChangedElsewhere,
    DeletedElsewhere,
};

// Adds or updates the record of the typed key in one transaction; on failure
// the table is as it was and error says why. A stored record of the key is
// overwritten only when `mode` allows it, and the outcome says so. `version`,
// when given, is the version of the record as loaded (0 for none), and gets
// the version stored.
SaveOutcome MemorizzaRecord(Recordset& table, int UltimoDato, int UltimaChiave, FieldAccess& fields,
                            const QString& sepMigliaia, const QString& sepDecimali, QString* error,
                            SaveMode mode = SaveMode::AddOrReplace, qint64* version = nullptr);

enum class DeleteOutcome { NoKey, NotFound, Deleted, Failed, ChangedElsewhere };

// Deletes the record of the typed key and clears every field; with a
// `version` other than 0, only while the stored record has that version.
DeleteOutcome EliminaRecord(Recordset& table, int UltimoDato, int UltimaChiave, FieldAccess& fields,
                            QString* error, qint64 version = 0);

// A field that checking refused, with what to tell the user.
struct FieldRefusal
{
    int index = -1;
    QString message; // names the field: "Onorario: …"
    QString reason;  // the same without the field's name
};

// What the user is told of a field refused for `why`: the field's caption,
// then the reason ("Onorario: \"1.470\" non è chiaro …").
QString refusalMessage(const FieldSpec& def, const QString& why);

// Checks every field as leaving it does (codes, dates, numbers), in tab
// order, and writes the normalised texts back: the first field refused, or
// nothing when the record may be stored.
std::optional<FieldRefusal> checkFields(FieldAccess& fields, const DescriptionLookup& lookup);

// How messages name the record the key fields show: the code of a master
// record ("ROSSI"), the number and year of a document ("1234/2026").
QString recordName(int UltimaChiave, const FieldAccess& fields);
