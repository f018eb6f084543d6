#include "ApplicationPrinter.h"

#include <QCoreApplication>
#include <QPrinter>

namespace {
QPrinter* g_printer = nullptr;
QPrinter* g_replacement = nullptr;

void releasePrinter()
{
    delete g_printer;
    g_printer = nullptr;
}
} // namespace

QPrinter& applicationPrinter()
{
    if (g_replacement)
        return *g_replacement;
    // Released with the application object: a printer outliving it would
    // talk to a print system that has already been shut down.
    if (!g_printer) {
        g_printer = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(releasePrinter);
    }
    return *g_printer;
}

void setApplicationPrinter(QPrinter* printer)
{
    g_replacement = printer;
}
