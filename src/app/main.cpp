#include "app/VantorApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    VantorApp::configureApplication();
    VantorApp app;
    app.show();
    app.startAutomaticChecks();
    return application.exec();
}
