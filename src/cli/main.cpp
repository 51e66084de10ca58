#include "cli/PlexorTool.h"
#include "platform/FileNameText.h"
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
    // Arguments arrive as text with replacement characters where their bytes are not UTF-8, so
    // such a path could name another file; the scan leaves these names out in any case.
    for (int i = 1; i < argc; ++i) {
        if (!FileNameText::isValid(argv[i]))
            return tool.usageError(
                QStringLiteral("argument \"%1\" is not valid UTF-8; files and folders whose "
                               "names are not UTF-8 are left out of the tree")
                    .arg(FileNameText::escaped(argv[i])));
    }
    return tool.run(QCoreApplication::arguments().mid(1));
}
