#pragma once

#include "DocumentKey.h"
#include "Money.h"
#include "Rate.h"

#include <QDate>
#include <QString>
#include <QVariantList>
#include <optional>

class Database;

// A purchase (a supplier's document) as stored. Null amounts and rates are
// nothing here; Null texts and dates are empty.
struct Purchase
{
    DocumentKey key;
    QDate date;
    QString supplierCode;
    QString description;
    std::optional<Money> taxable;
    std::optional<Rate> vatRate;       // percent
    std::optional<Rate> deductibility; // a multiplier: 0.5 deducts half
    QString notes;
    std::optional<Money> exempt; // outside VAT

    // The VAT on the taxable amount and the part of the taxable amount that
    // can be deducted, each rounded once to the cent as the purchase window
    // shows them; 0 when an amount or rate is Null or the product does not
    // fit an amount.
    Money vat() const;
    Money deductible() const;

    // A stored row, its values by record position.
    static Purchase fromColumns(const QVariantList& columns);
};

// A rate stored as a floating-point number, read back as the decimal text it
// was typed as (0.1 is 1/10, not the binary fraction nearest to it).
Rate storedRate(double value);
