#include "Main.h"
#include "AppContext.h"
#include "BatchMain.h"
#include "DataFolder.h"
#include "MessageBox.h"
#include "PageFolder.h"
#include "QtTranslations.h"
#include "QuitAfterFirstPaint.h"
#include "SignalQuit.h"

#include <QApplication>
#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    // A command runs without windows, before anything needs a display.
    if (isBatchCommandLine(argc, argv))
        return batchMain(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Falmide"));
    if (!installQtItalian())
        std::fprintf(stderr,
                     "falmide: traduzione italiana di Qt non trovata (qt6-translations-l10n)\n");
    // A logout, kill or Ctrl+C ends the program as "Uscita" does, taking
    // the page files with it.
    // A signal met while start-up still works (its copy of the database runs
    // pending events) comes before the event loop, which quit() needs.
    static bool quitRequested = false;
    const SignalQuit signalQuit([](int) {
        quitRequested = true;
        QApplication::quit();
    });
    // Runs that were killed left their page files behind: invoice contents.
    removeStalePageFolders(pageFolderBases(), getuid());

    QString error;
    AppContext context;
    context.programFolder = dataFolderPath(&error);
    if (context.programFolder.isEmpty()) {
        std::fprintf(stderr, "falmide: %s\n", qPrintable(error));
        MessageBox::error(nullptr, error);
        return 1;
    }

    Main window(context);
    switch (window.MDIForm_Load(&error)) {
    case StartUpOutcome::Ready:
        break;
    case StartUpOutcome::DataFolderUnusable:
        MessageBox::error(nullptr, error);
        return 1;
    case StartUpOutcome::AlreadyRunning:
        return 1;
    case StartUpOutcome::DatabaseDamaged:
    case StartUpOutcome::DatabaseUnusable:
        // The window has said why; the reason goes to the log as well.
        std::fprintf(stderr, "falmide: %s: %s\n", qPrintable(context.databaseFile()),
                     qPrintable(error));
        return 2;
    }
    if (quitRequested)
        return 0;
    quitAfterFirstPaintIfAsked(window);
    window.show();
    return app.exec();
}
