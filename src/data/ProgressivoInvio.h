#pragma once

#include "DocumentKey.h"

#include <QString>
#include <optional>

// ProgressivoInvio: what tells the files of one sender apart, at most five
// characters. Files written before each write got its own sending were named
// from the invoice alone, so that writing an invoice again gave the same
// name; that name is still what those files are known by. The last two
// digits of the year, then the number: 0 to 999 as three digits ("26007" is
// invoice 7 of 2026), 1000 to 34695 as a capital letter followed by two
// base-36 digits ("26A00" is invoice 1000). Nothing for a higher number.
std::optional<QString> progressivoInvio(const DocumentKey& key);

// The progressive of the sending numbered `counter` (from 1): a capital
// letter, then four base-36 digits ("A0001", "A000Z", "B0000" after
// "AZZZZ"). The names derived from the invoice always begin with a digit of
// the year, so the two never meet, whatever the invoices and counters.
// Nothing past the last name, "ZZZZZ".
std::optional<QString> sendingProgressive(qint64 counter);

// The name the Sistema di Interscambio expects: IT<VAT number>_<progressive>.xml.
QString fatturaPAFileName(const QString& vatNumber, const QString& progressive);
QString fatturaPAFileName(const QString& vatNumber, const DocumentKey& key);
