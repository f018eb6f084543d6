#pragma once

#include <QString>

class QWidget;

// A failure with its description and number, in a box with an OK button
// after a beep: "The following Error occurred:", the description, then
// "Number: " and the number.
void MostraErrore(QWidget* parent, const QString& description, int number);
QString mostraErroreText(const QString& description, int number);
