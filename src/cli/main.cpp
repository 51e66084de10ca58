#include "cli/PlexorTool.h"
#include "platform/Log.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("plexor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CODEPLEXOR_VERSION));
    // Log lines must never mix with the text printed on standard output.
    Log::setSink(&Log::toStandardError);
    PlexorTool tool;
    return tool.run(QCoreApplication::arguments().mid(1));
}
