#include "Main.h"
#include "AppContext.h"
#include "DataFolder.h"
#include "MessageBox.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Falmide"));

    QString error;
    AppContext context;
    context.programFolder = dataFolderPath(&error);
    if (context.programFolder.isEmpty()) {
        std::fprintf(stderr, "falmide: %s\n", qPrintable(error));
        Messaggio::errore(nullptr, error);
        return 1;
    }
    AppContext::setCurrent(&context);

    Main window(context);
    switch (window.MDIForm_Load(&error)) {
    case EsitoAvvio::Pronto:
        break;
    case EsitoAvvio::CartellaDati:
        Messaggio::errore(nullptr, error);
        return 1;
    case EsitoAvvio::ArchivioDanneggiato:
        std::fprintf(stderr, "falmide: %s: %s\n", qPrintable(context.databaseFile()),
                     qPrintable(error));
        Messaggio::mostra(nullptr, QStringLiteral("ATTENZIONE! DATABASE DANNEGGIATO"),
                          QMessageBox::Warning);
        return 2;
    }
    window.show();
    return app.exec();
}
