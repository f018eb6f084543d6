// The smallest Qt Widgets program: a main window shown, then quit. Its start
// is what the program's own start is measured against.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
