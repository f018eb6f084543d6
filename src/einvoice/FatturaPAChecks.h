#pragma once

#include "FatturaPAInvoice.h"

#include <QString>
#include <QStringList>

// A text as the file carries it: each line break a blank, no blanks at the
// ends.
QString fatturaPAText(const QString& text);
// The fee line's description: the subject, then the description.
QString fatturaPADescription(const FeeDocument& invoice);

// What the schema or the Sistema di Interscambio would refuse in this
// invoice, each problem as one line of text; empty when the file can be
// written.
QStringList fatturaPAProblems(const FatturaPAInvoice& e);

// The one message that names every problem.
QString fatturaPAProblemMessage(const QStringList& problems);

// What the file may carry but the user should look at, each as one line of
// text: the file is written all the same.
QStringList fatturaPAWarnings(const FatturaPAInvoice& e);
// The lines that tell the warnings, after what was written.
QString fatturaPAWarningText(const QStringList& warnings);
