#include "cli/CommandLineParser.h"

void CommandLineParser::addFlag(const QString& name, bool* target)
{
    m_options.push_back(Option{name, target, {}});
}

void CommandLineParser::addOption(const QString& name, ValueHandler handler)
{
    m_options.push_back(Option{name, nullptr, std::move(handler)});
}

const CommandLineParser::Option* CommandLineParser::find(const QString& name) const
{
    for (const Option& option : m_options) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

std::optional<QString> CommandLineParser::parse(const QStringList& arguments)
{
    m_positionals.clear();
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(u'-') || argument == u"-") {
            m_positionals.append(argument);
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = equals < 0 ? argument : argument.left(equals);
        const Option* option = find(name);
        if (!option)
            return QStringLiteral("unknown option %1").arg(name);
        if (option->flag) {
            if (equals >= 0)
                return QStringLiteral("option %1 takes no value").arg(name);
            *option->flag = true;
            continue;
        }
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments.at(++i);
        } else {
            return QStringLiteral("option %1 needs a value").arg(name);
        }
        if (std::optional<QString> error = option->handler(value))
            return QStringLiteral("%1: %2").arg(name, *error);
    }
    return std::nullopt;
}
