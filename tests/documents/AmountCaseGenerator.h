#pragma once

#include "DocumentAmounts.h"

#include <QString>
#include <vector>

// One document as typed into its invoice or pro-forma window, and the field
// left last.
struct AmountCase
{
    bool invoice = true;
    bool geometra = false;
    QString fee, vatRate, contributionRate, withholdingRate;
    QString vat, contribution, withholding; // typed before the field is left
    QString expenses, stamp;
    int index = FeeField::Fee;
    bool changed = true;    // the clearing rule runs before the computation
    bool nullZeros = false; // stored as an old record: amounts of 0 as Null
};

// The cases named in the computation's comments and tests, then generated
// ones up to `count`: fees of every size, those whose shares come to half a
// cent, zero, negative, huge and unreadable ones; usual, unusual and
// unreadable rates; amounts typed by hand. The same count gives the same
// cases on every machine.
std::vector<AmountCase> amountCases(int count);
// How many of them are named rather than generated.
int namedCaseCount();

// A case's inputs in one line.
QString describeCase(int index, const AmountCase& a);
// "[text]": a text whose blanks count.
QString bracketed(const QString& text);
