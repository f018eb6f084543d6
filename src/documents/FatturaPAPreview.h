#pragma once

#include <QString>

class QWidget;
struct AppContext;

// "Visualizza fattura elettronica ...": asks for a FatturaPA file (.xml or
// signed .p7m), a supplier's or the program's own, and shows it as pages
// in the preview, where it is printed or exported as PDF.
void askAndPreviewFatturaPA(AppContext& context, QWidget* parent);

// Shows the file in the preview; a file that is no electronic invoice is
// refused with its name and the reason. False when no preview opened.
bool previewFatturaPAFile(AppContext& context, QWidget* parent, const QString& path);
