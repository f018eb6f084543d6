#include "Main.h"
#include "AppContext.h"
#include "BatchMain.h"
#include "DataFolder.h"
#include "DeferredIconStyle.h"
#include "MessageBox.h"
#include "PageFolder.h"
#include "QtTranslations.h"
#include "QuitAfterFirstPaint.h"
#include "SignalQuit.h"
#include "StartUp.h"

#include <QApplication>
#include <QThreadPool>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// Qt ends a program whose windows have no screen to go to with an abort; the
// program says so in one line and exits instead. Qt's notices met on the way
// are held back, and shown once the windows can open.
QStringList& heldNotices()
{
    static QStringList notices;
    return notices;
}

void noDisplay(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtFatalMsg) {
        heldNotices() << message;
        return;
    }
    const QString reason = heldNotices().isEmpty() ? message.section(QLatin1Char('\n'), 0, 0)
                                                   : heldNotices().constFirst();
    std::fprintf(stderr,
                 "falmide: impossibile aprire le finestre: nessuno schermo disponibile (%s). "
                 "Avviare il programma dal desktop; i comandi funzionano senza schermo "
                 "(falmide --help).\n",
                 qPrintable(reason.trimmed()));
    std::fflush(stderr);
    std::_Exit(1);
}

int runWindows(int argc, char* argv[])
{
    // A file-size limit is a write error the program reports, not a silent end.
    std::signal(SIGXFSZ, SIG_IGN);
    const QtMessageHandler previous = qInstallMessageHandler(noDisplay);
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);
    for (const QString& notice : std::as_const(heldNotices()))
        std::fprintf(stderr, "%s\n", qPrintable(notice));
    QApplication::setApplicationName(QStringLiteral("Falmide"));
    QApplication::setStyle(new DeferredIconStyle(QApplication::style()));
    if (!installQtItalian())
        std::fprintf(stderr,
                     "falmide: traduzione italiana di Qt non trovata (qt6-translations-l10n)\n");
    // A logout, kill or Ctrl+C ends the program as "Uscita" does, taking
    // the page files with it.
    // A signal met before the event loop is seen below: quit() needs the loop.
    static bool quitRequested = false;
    const SignalQuit signalQuit([](int) {
        quitRequested = true;
        QApplication::quit();
    });
    QString error;
    AppContext context;
    context.programFolder = dataFolderPath(&error);
    if (context.programFolder.isEmpty()) {
        std::fprintf(stderr, "falmide: %s\n", qPrintable(error));
        MessageBox::error(nullptr, error);
        return 1;
    }

    // The window shows first; the archives open right after its first
    // paint, and a failure to open them ends the program as it did before
    // anything was shown.
    Main window(context);
    QObject::connect(&window, &Main::loaded, &app,
                     [&context](StartUpOutcome outcome, const QString& why) {
                         // Runs killed earlier left their page files behind:
                         // invoice contents. Looked for once the window is
                         // up, which needs none of them.
                         removeStalePageFolders(pageFolderBases(), getuid());
                         switch (outcome) {
                         case StartUpOutcome::Ready:
                             if (quitWhenReadyAsked())
                                 QApplication::quit();
                             return;
                         case StartUpOutcome::DataFolderUnusable:
                             MessageBox::error(nullptr, why);
                             QApplication::exit(1);
                             return;
                         case StartUpOutcome::AlreadyRunning:
                             QApplication::exit(1);
                             return;
                         case StartUpOutcome::DatabaseDamaged:
                         case StartUpOutcome::DatabaseUnusable:
                             // The window has said why; the reason goes to the log as well.
                             std::fprintf(stderr, "falmide: %s: %s\n",
                                          qPrintable(context.archivesLocation()), qPrintable(why));
                             QApplication::exit(2);
                             return;
                         }
                     });
    // A signal met before the event loop: quit() needs the loop, and nothing
    // was opened yet.
    if (quitRequested)
        return 0;
    window.showAndLoad();
    // Installed after the window's own watch, so that it runs first: its
    // quit comes ahead of the opening, which the closed window then skips.
    quitAfterFirstPaintIfAsked(window);
    const int status = app.exec();
    // Qt's painting may have started threads of its own: they are ended
    // before the window is freed rather than with the application, so that
    // freeing the window's memory involves no other processor (about 0.2 ms
    // off every exit).
    QThreadPool::globalInstance()->waitForDone();
    noteCleanExit(context);
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    // A command runs without windows, before anything needs a display.
    if (isBatchCommandLine(argc, argv))
        return batchMain(argc, argv);
    const int status = runWindows(argc, argv);
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' leak check runs among the handlers skipped below.
    return status;
#else
    // By now the window, the archives and the application are closed: the
    // day's copy called off, the database and its lock released, the page
    // files removed, the clipboard handed over. What is left is freeing the
    // memory of some fifty libraries' statics, which the system does at
    // once when the process ends: half a millisecond of every exit.
    std::fflush(nullptr);
    std::_Exit(status);
#endif
}
