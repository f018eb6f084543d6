#pragma once

class QTranslator;

// Qt's own texts (standard buttons, file and printer dialogs) in Italian,
// whatever the system's language, as the rest of the program. Returns the
// installed translator, owned by the application, or nullptr when Qt's
// Italian translation is not installed.
QTranslator* installQtItalian();
