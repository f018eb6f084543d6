#pragma once

#include <QString>

// The words a reader of an electronic invoice expects beside the codes of
// the file ("TD04" is "Nota di credito"); each gives an empty text for a
// code it does not know, which is then shown alone.
QString documentTypeName(const QString& code);  // TipoDocumento
QString regimeName(const QString& code);        // RegimeFiscale
QString natureName(const QString& code);        // Natura
QString paymentModeName(const QString& code);   // ModalitaPagamento
QString paymentTermsName(const QString& code);  // CondizioniPagamento
QString fundName(const QString& code);          // TipoCassa
QString withholdingName(const QString& code);   // TipoRitenuta
QString chargeabilityName(const QString& code); // EsigibilitaIVA

// A code followed by its words, "TD01 Fattura", or the code alone.
QString codeWithName(const QString& code, const QString& name);

// A decimal of the file written the Italian way: "1234.5" is "1.234,50".
// At least `decimals` digits after the comma, more only when the file has
// digits other than zeros there, so that a unit price of 0.12345 is shown
// whole. A text that is no such decimal comes back as it is.
QString italianDecimal(const QString& text, int decimals = 2);

// A rate of the file as a percentage: "22.00" is "22%", "5.50" is "5,5%".
QString italianPercent(const QString& text);
