#include "cli/ScanArguments.h"

#include "cli/CommandLineParser.h"
#include "engine/PlexorViewModel.h"

#include <QDir>
#include <QFileInfo>

void ScanArguments::addOptionsTo(CommandLineParser& parser)
{
    parser.addFlag(QStringLiteral("--all-files"), &allFiles);
    parser.addFlag(QStringLiteral("--gitignore"), &gitignore);
    parser.addOption(
        QStringLiteral("--type"), [this](const QString& value) -> std::optional<QString> {
            const auto typeSwitch = parseTypeSwitch(value);
            if (!typeSwitch)
                return QStringLiteral("expected EXT=on or EXT=off, got \"%1\"").arg(value);
            typeSwitches.append(*typeSwitch);
            return std::nullopt;
        });
}

std::optional<QPair<QString, bool>> ScanArguments::parseTypeSwitch(const QString& text)
{
    const qsizetype equals = text.lastIndexOf(u'=');
    if (equals <= 0)
        return std::nullopt;
    QString extension = text.left(equals);
    const QString state = text.mid(equals + 1);
    if (extension == u"." || extension.contains(u'/'))
        return std::nullopt;
    if (!extension.startsWith(u'.'))
        extension.prepend(u'.');
    if (state == u"on")
        return qMakePair(extension, true);
    if (state == u"off")
        return qMakePair(extension, false);
    return std::nullopt;
}

std::optional<QString> ScanArguments::takeFolder(const QStringList& positionals)
{
    if (positionals.isEmpty())
        return QStringLiteral("missing FOLDER");
    if (positionals.size() > 1)
        return QStringLiteral("unexpected argument \"%1\"").arg(positionals.at(1));
    folder = positionals.first();
    if (folder.isEmpty())
        return QStringLiteral("FOLDER is empty");
    return std::nullopt;
}

std::optional<QString> ScanArguments::checkFolder()
{
    const QFileInfo info(folder);
    if (!info.exists())
        return QStringLiteral("%1: no such folder").arg(folder);
    if (!info.isDir())
        return QStringLiteral("%1: not a folder").arg(folder);
    folder = QDir::cleanPath(info.absoluteFilePath());
    return std::nullopt;
}

void ScanArguments::applyTo(PlexorViewModel& engine) const
{
    engine.setShowAllFiles(allFiles);
    engine.setRespectGitignore(gitignore);
    for (const auto& [extension, enabled] : typeSwitches)
        engine.setFileTypeEnabled(extension, enabled);
}
