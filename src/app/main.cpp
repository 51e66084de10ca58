#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Code Plexor"));
    QApplication::setApplicationVersion(QStringLiteral(CODEPLEXOR_VERSION));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Code Plexor"));
    window.resize(1100, 720);
    window.show();
    return app.exec();
}
