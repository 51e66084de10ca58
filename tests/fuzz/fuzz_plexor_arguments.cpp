// `plexor generate`'s arguments (separated by NUL bytes): parsing gives a result or a usage
// error, and a result written back in one canonical spelling (--output aside) parses to the
// same result.
#include "FuzzSupport.h"

#include "cli/GenerateCommand.h"

namespace {

// Every field of a parse result, --output aside, in one spelling that parses again.
QStringList canonical(const GenerateCommand::Arguments& parsed)
{
    QStringList arguments;
    const std::pair<bool, const char*> flags[] = {{parsed.scan.allFiles, "--all-files"},
                                                  {parsed.scan.gitignore, "--gitignore"},
                                                  {parsed.selection.changed, "--changed"},
                                                  {parsed.count, "--count"},
                                                  {parsed.selection.selectAll, "--select-all"}};
    for (const auto& [set, flag] : flags) {
        if (set)
            arguments.append(QString::fromLatin1(flag));
    }
    for (const auto& [extension, enabled] : parsed.scan.typeSwitches)
        arguments.append(QStringLiteral("--type=%1=%2").arg(extension, enabled ? u"on" : u"off"));
    for (const QString& path : parsed.selection.selectPaths)
        arguments.append(QStringLiteral("--select=") + path);
    for (const PathPattern& pattern : parsed.selection.includes)
        arguments.append(QStringLiteral("--include=") + pattern.text());
    for (const PathPattern& pattern : parsed.selection.excludes)
        arguments.append(QStringLiteral("--exclude=") + pattern.text());
    if (parsed.project)
        arguments.append(QStringLiteral("--project=") + *parsed.project);
    else
        arguments << QStringLiteral("--") << parsed.scan.folder;
    return arguments;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QStringList arguments;
    for (const QByteArray& argument : fuzzBytes(data, size).split('\0'))
        arguments.append(QString::fromUtf8(argument));

    PlexorTool tool;
    GenerateCommand::Arguments parsed;
    if (const std::optional<QString> error =
            GenerateCommand::parseArguments(tool, arguments, parsed)) {
        FUZZ_CHECK(!error->isEmpty());
        return 0;
    }
    FUZZ_CHECK(parsed.project ? parsed.scan.folder.isEmpty() : !parsed.scan.folder.isEmpty());

    GenerateCommand::Arguments reparsed;
    FUZZ_CHECK(!GenerateCommand::parseArguments(tool, canonical(parsed), reparsed));
    FUZZ_CHECK(canonical(reparsed) == canonical(parsed));
    return 0;
}
