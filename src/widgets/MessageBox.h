#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Every message the program shows goes through here, so tests can answer a
// box in advance instead of waiting for a click.
namespace MessageBox {

// A box with the program's title, preceded by a beep; returns the button
// chosen. yesCaption, when given, names the Yes button by what it does.
// Without a default button, "Sì" is the default where offered and not named.
QMessageBox::StandardButton show(QWidget* parent, const QString& text,
                                 QMessageBox::Icon icon = QMessageBox::Information,
                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                 const QString& yesCaption = {},
                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
// A refusal, or something the user should know went wrong: the warning icon.
QMessageBox::StandardButton warning(QWidget* parent, const QString& text);
// A failure: the critical icon.
QMessageBox::StandardButton error(QWidget* parent, const QString& text);
// A question answered "Sì", "No" or "Annulla": Yes, No or Cancel (also when
// the box is closed).
QMessageBox::StandardButton ask(QWidget* parent, const QString& text);
// A question before something that cannot be undone, answered "Sì" or "No"
// with "No" the default: true only for "Sì".
bool confirm(QWidget* parent, const QString& text);

// Test seam: the next boxes are not shown; each returns the next answer
// given here, in order, and its text is kept for the test to read.
void setNextAnswer(QMessageBox::StandardButton answer);
QString lastText();
QMessageBox::Icon lastIcon();
int shownCount();
void resetForTest();

} // namespace MessageBox
