#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// Reads the arguments of one subcommand: options (flags, and options with a value given as
// "--name VALUE" or "--name=VALUE") in any order among the positional arguments. "--" ends the
// options. Every failure is one line of text for a usage error.
class CommandLineParser {
public:
    // Receives an option's value; returns an error text when the value is not acceptable.
    using ValueHandler = std::function<std::optional<QString>(const QString& value)>;

    void addFlag(const QString& name, bool* target);
    void addOption(const QString& name, ValueHandler handler);

    // Parses `arguments`; on success the positional arguments are in positionals().
    std::optional<QString> parse(const QStringList& arguments);
    const QStringList& positionals() const { return m_positionals; }

private:
    struct Option {
        QString name;
        bool* flag = nullptr;
        ValueHandler handler;
    };

    const Option* find(const QString& name) const;

    std::vector<Option> m_options;
    QStringList m_positionals;
};
