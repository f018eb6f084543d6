#pragma once

#include "DocumentKey.h"
#include "Sendings.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class Database;

// What reading one receipt file did to the sendings.
enum class ReceiptOutcome {
    Recorded,        // the sending's state now says what the receipt says
    AlreadyRecorded, // the same receipt, or one the state has gone past: nothing changed
    Refused,         // not a receipt, a file of no sending, a receipt that contradicts the
                     // state, a database failure: nothing changed
};

struct ReceiptImport
{
    QString path;
    ReceiptOutcome outcome = ReceiptOutcome::Refused;
    // One line for the user, naming the file.
    QString message;
    std::optional<DocumentKey> invoice;
};

// Reads the SdI's receipt files (XML or signed .p7m) and records each in the
// sending of the file it names. A receipt for a file this archive never
// wrote, one already recorded (imported twice), or a file that is no receipt
// is named and changes nothing.
QList<ReceiptImport> importSdiReceipts(Database& db, const QStringList& paths);
// The same for one receipt that came as bytes (attached to a PEC message)
// under the file name `fileName`, which stands for the path in the result.
ReceiptImport importSdiReceipt(Database& db, const QString& fileName, const QByteArray& data);

// What a sending's state says, for the invoice window: "XML scritto il
// 07/12/2026 alle 11:58 (IT01234567897_A0001.xml)", "Inviata con PEC il
// 08/12/2026 alle 10:15 (…)", "Consegnata il
// 08/12/2026 (…)", "Scartata il 09/12/2026: 00305 IdFiscaleIVA del
// cessionario non valido", "Invio annullato il …".
QString sendingStateText(const Sending& sending);
