#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Every message the program shows goes through here, so tests can answer a
// box in advance instead of waiting for a click.
namespace Messaggio {

// A box with the program's title, preceded by a beep; returns the button
// chosen.
QMessageBox::StandardButton mostra(QWidget* parent, const QString& text,
                                   QMessageBox::Icon icon = QMessageBox::Information,
                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok);
QMessageBox::StandardButton errore(QWidget* parent, const QString& text);

// Test seam: the next box is not shown; it returns this answer and its text
// is kept for the test to read.
void setNextAnswer(QMessageBox::StandardButton answer);
QString lastText();
int shownCount();
void resetForTest();

} // namespace Messaggio
