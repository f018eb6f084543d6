#pragma once

#include "FieldDeclaration.h"
#include "TaxCodes.h"

#include <QString>
#include <optional>
#include <vector>

// One input field of a window, as the window declares it: the row of its
// field table. The record position is where the field is stored (index + 1
// in the archive windows).
struct FieldSpec
{
    int index = 0;
    QString caption;
    QString declaration;
    int maxLength = 0; // 0: no limit
    int tabIndex = 0;
    int recordPosition = 0;
    bool visible = true;
    bool besidePrevious = false; // laid out on the previous field's line
    // Narrower than what the column holds, where a wider value makes no
    // sense (a rate of 1000 percent): in whole units, in cents for amounts.
    std::optional<qint64> minimum = std::nullopt;
    std::optional<qint64> maximum = std::nullopt;
    // A field holding a tax code, checked by its form and check character.
    std::optional<TaxCodeKind> taxCode = std::nullopt;

    FieldDeclaration parsed() const { return FieldDeclaration::parse(declaration); }
};

using FieldTable = std::vector<FieldSpec>;
