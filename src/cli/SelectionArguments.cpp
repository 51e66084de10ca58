#include "cli/SelectionArguments.h"

#include "cli/CommandLineParser.h"
#include "engine/GitWorkTree.h"
#include "engine/PlexorViewModel.h"
#include "model/FileItem.h"

#include <QDir>

namespace {

CommandLineParser::ValueHandler patternHandler(QList<PathPattern>& patterns)
{
    return [&patterns](const QString& value) -> std::optional<QString> {
        QString error;
        std::optional<PathPattern> pattern = PathPattern::parse(value, &error);
        if (!pattern)
            return error;
        patterns.append(*pattern);
        return std::nullopt;
    };
}

bool matchesAny(const QList<PathPattern>& patterns, QStringView relativePath)
{
    return std::any_of(
        patterns.begin(), patterns.end(),
        [relativePath](const PathPattern& pattern) { return pattern.matchesFile(relativePath); });
}

QStringView relativePath(const FileItem& node, const QString& folder)
{
    return QStringView(node.path()).mid(folder.size() + (folder.endsWith(u'/') ? 0 : 1));
}

} // namespace

void SelectionArguments::addOptionsTo(CommandLineParser& parser, bool withSelect)
{
    if (withSelect) {
        parser.addOption(QStringLiteral("--select"),
                         [this](const QString& value) -> std::optional<QString> {
                             if (value.isEmpty())
                                 return QStringLiteral("empty path");
                             selectPaths.append(value);
                             return std::nullopt;
                         });
    }
    parser.addFlag(QStringLiteral("--select-all"), &selectAll);
    parser.addFlag(QStringLiteral("--changed"), &changed);
    parser.addOption(QStringLiteral("--include"), patternHandler(includes));
    parser.addOption(QStringLiteral("--exclude"), patternHandler(excludes));
}

bool SelectionArguments::addsFiles() const
{
    return !selectPaths.isEmpty() || selectAll || !includes.isEmpty() || changed;
}

std::optional<QString> SelectionArguments::readChangedFiles(const QString& folder)
{
    if (!changed)
        return std::nullopt;
    const std::unique_ptr<GitWorkTree> git = GitWorkTree::open(folder);
    if (!git)
        return QStringLiteral("%1: --changed needs a folder inside a git work tree").arg(folder);
    QString error;
    std::optional<QSet<QString>> files = git->changedFiles(&error);
    if (!files)
        return QStringLiteral("%1: git cannot tell the changed files: %2").arg(folder, error);
    m_changedFiles = std::move(*files);
    return std::nullopt;
}

QSet<QString> SelectionArguments::selectedPaths(const QString& folder) const
{
    QSet<QString> paths;
    for (const QString& selection : selectPaths) {
        const QString path =
            QDir::isAbsolutePath(selection) ? selection : folder + u'/' + selection;
        paths.insert(QDir::cleanPath(path));
    }
    return paths;
}

QList<const FileItem*> SelectionArguments::chosenFiles(const PlexorViewModel& engine,
                                                       const QString& folder,
                                                       bool allWhenNoneAdds) const
{
    const bool all = selectAll || (allWhenNoneAdds && !addsFiles());
    QList<const FileItem*> chosen;
    for (const FileItem* file : PlexorViewModel::filesIn(engine.files())) {
        const QStringView path = relativePath(*file, folder);
        const bool named = all || matchesAny(includes, path) ||
                           (changed && m_changedFiles.contains(path.toString()));
        if (named && !matchesAny(excludes, path))
            chosen.append(file);
    }
    return chosen;
}

void SelectionArguments::applyTo(PlexorViewModel& engine, const QString& folder) const
{
    engine.select(chosenFiles(engine, folder, false));
    if (excludes.isEmpty())
        return;
    QList<const FileItem*> excluded;
    for (const FileItem* file : PlexorViewModel::filesIn(engine.files())) {
        if (matchesAny(excludes, relativePath(*file, folder)))
            excluded.append(file);
    }
    engine.deselect(excluded);
}
