// The reference of the start-up benchmark (tools/benchmarks.sh): the least a
// Qt Widgets program does to show a main window, built as the program is.
// Run with FALMIDE_QUIT_AFTER_PAINT=1 it quits once the window is painted.
#include "QuitAfterFirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.setCentralWidget(new QLabel(QStringLiteral("Hello")));
    window.resize(800, 600);
    quitAfterFirstPaintIfAsked(window);
    window.show();
    return app.exec();
}
