#include "BatchMain.h"

#include "BatchRunner.h"
#include "PageFolder.h"
#include "TemporaryFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

QStringList argumentList(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Qt's notices (a missing runtime folder and the like) would break the one
// line a failed command writes; only its critical messages get through.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "falmide: %s\n", qPrintable(message));
}

} // namespace

bool isBatchCommandLine(int argc, char* argv[])
{
    return isBatchInvocation(argumentList(argc, argv));
}

int batchMain(int argc, char* argv[])
{
    // Before any thread starts: a command ended by Ctrl+C, kill or a logout
    // removes the files it was writing, as the program does. A file-size
    // limit is a write error the command reports, not a silent end.
    removeTemporariesOnTermination();
    std::signal(SIGXFSZ, SIG_IGN);
    const QStringList arguments = argumentList(argc, argv);
    qInstallMessageHandler(quietMessages);
    std::unique_ptr<QCoreApplication> app;
    if (batchDrawsPages(arguments)) {
        // Text is measured with the fonts fontconfig finds, which takes a
        // QGuiApplication; the offscreen platform needs no display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("Falmide"));
    // Runs that were killed left their page files behind: invoice contents.
    removeStalePageFolders(pageFolderBases(), getuid());
    QTextStream out(stdout);
    QTextStream err(stderr);
    // A reader that goes away (| head) makes a write fail rather than end the
    // program where it stands: the temporary copy is then still removed.
    std::signal(SIGPIPE, SIG_IGN);
    // Unbuffered: a failed write is told while the command can still say so.
    QFile data;
    data.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return runBatch(arguments, out, err, data);
}
