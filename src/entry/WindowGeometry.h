#pragma once

class QWidget;
struct AppContext;

// The logical resolution of the screen a widget is on (96 when unknown).
double logicalDpi(const QWidget* widget);

// The width of the letter "M" in the program's dialog font, in twips: the
// unit grid columns are measured in.
double letterWidthTwips(double dpi);

// Moves a child window to its place centred in the main window.
void placeCentred(QWidget* window, const AppContext& context);
