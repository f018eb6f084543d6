#pragma once

#include <QString>

class QLabel;

// The text of the main window's status panel: "Pronto" when empty, with
// ", Prego attendere..." while the program is busy.
QString statusText(const QString& text, bool waiting);

// What the status panel says once a record was stored or deleted:
// "Fattura 12/2026 memorizzata", "Cliente ROSSI eliminato".
QString outcomeText(const QString& noun, bool feminine, const QString& name, bool deleted);

// The question before a record is deleted: "Eliminare la fattura 12/2026?".
QString deletionQuestion(const QString& noun, bool feminine, const QString& name);

// Shows a message in the main window's status panel and repaints it at once.
void MessaggioStato(const QString& text, bool waiting);

// The main window registers its panel; without one the message goes nowhere.
void registerStatusPanel(QLabel* panel);
