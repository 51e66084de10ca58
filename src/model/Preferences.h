#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QSettings;

// The per-user preference store: a flat map from keys to typed values (text, bytes, Boolean,
// number) kept in one JSON object at $XDG_CONFIG_HOME/CodePlexor/CodePlexor.json.
//
// In the file a text is a JSON string, a Boolean is true or false, a number is a JSON number
// and a byte string is an object {"base64": "..."}. Values of other JSON types are kept as they
// are and written back unchanged, but read as absent. Every write is saved at once through an
// atomic replace of the file. A file that is not a JSON object is moved aside (to a name with
// ".corrupt-" and a time stamp) before anything else happens, and the store starts empty.
class Preferences : public QObject {
    Q_OBJECT

public:
    enum class Access {
        ReadWrite,
        // For tools that must never change the user's file: a corrupt file is left where it is
        // (and reads as empty) and every write or removal is ignored.
        ReadOnly,
    };

    explicit Preferences(const QString& filePath, QObject* parent = nullptr);
    Preferences(const QString& filePath, Access access, QObject* parent = nullptr);
    ~Preferences() override;

    // The user's store at the default location. Made on first use and kept for the whole run.
    static Preferences& standard();
    // $XDG_CONFIG_HOME/CodePlexor/CodePlexor.json, with the XDG default for an unset variable.
    static QString defaultFilePath();

    QString filePath() const { return m_filePath; }
    // Where a file that could not be read was moved; empty when nothing was moved.
    QString preservedCorruptFile() const { return m_preservedCorruptFile; }

    // Reads give none when the key is absent or holds a value of another type.
    std::optional<QString> text(QLatin1StringView key) const;
    std::optional<QByteArray> bytes(QLatin1StringView key) const;
    std::optional<bool> boolean(QLatin1StringView key) const;
    std::optional<double> number(QLatin1StringView key) const;
    std::optional<QString> text(const QString& key) const;
    std::optional<bool> boolean(const QString& key) const;

    void setText(QLatin1StringView key, const QString& value);
    void setBytes(QLatin1StringView key, const QByteArray& value);
    void setBoolean(QLatin1StringView key, bool value);
    void setNumber(QLatin1StringView key, double value);
    void setText(const QString& key, const QString& value);
    void setBoolean(const QString& key, bool value);

    void remove(const QString& key);
    // Writes every change made so far to the file now (atomically: a reader sees the old file
    // or the new one, never a part). Does nothing for a read-only store.
    void flush();
    bool contains(const QString& key) const;
    QStringList allKeys() const;

Q_SIGNALS:
    // Emitted after a write or removal of `key` through this object.
    void changed(const QString& key);

private:
    void write(const QString& key, const QVariant& value);

    QString m_filePath;
    Access m_access = Access::ReadWrite;
    QString m_preservedCorruptFile;
    std::unique_ptr<QSettings> m_settings;
};
