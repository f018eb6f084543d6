#pragma once

class QWidget;
struct AppContext;
struct YearGlance;

// The year at a glance on paper, as the period reports print: the page
// in the program's preview, whose PDF button writes "Andamento <year>.pdf"
// in the Stampe folder of the archive folder. False when no preview opened
// (the reason has been shown).
bool previewYearGlance(AppContext& context, const YearGlance& glance, QWidget* parent);

// The same PDF written at once, with no preview, then opened in the
// desktop's viewer. False, after a message, when it could not be written.
bool exportYearGlancePdf(AppContext& context, const YearGlance& glance, QWidget* parent);
