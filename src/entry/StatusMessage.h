#pragma once

#include <QString>

class QLabel;

// The text of the main window's status panel: "Pronto" when empty, with
// ", Prego attendere..." while the program is busy.
QString testoStato(const QString& text, bool waiting);

// Shows a message in the main window's status panel and repaints it at once.
void MessaggioStato(const QString& text, bool waiting);

// The main window registers its panel; without one the message goes nowhere.
void registraPannelloStato(QLabel* panel);
QString pannelloStatoCorrente();
