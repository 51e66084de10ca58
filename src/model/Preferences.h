#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariant>

#include <optional>

// The per-user preference store: a flat map from keys to typed values (text, bytes, Boolean,
// number) kept in one JSON object at $XDG_CONFIG_HOME/CodePlexor/CodePlexor.json.
//
// In the file a text is a JSON string, a Boolean is true or false, a number is a JSON number
// and a byte string is an object {"base64": "..."}. Values of other JSON types are kept as they
// are and written back unchanged, but read as absent.
//
// Reads and writes act on memory at once. The file follows within a short interval
// (saveDelayMs): the first change after a write starts the interval, and every change made
// during it goes out in one write at its end. flush() writes at once (the application calls it
// at quit and when it is asked to end), as does the destructor. Every write replaces the whole
// file atomically (a new file renamed over the old one), so a crash loses at most the last
// interval's changes and never the file. A file that is not a JSON object is moved
// aside (to a name with ".corrupt-" and a time stamp) before anything else happens, and the
// store starts empty. A value its owner could not use is kept as well: before the first write
// over it, the whole file is copied aside under such a name (see keepOriginal). A file that is
// there but cannot be read (no permission, a read error) is never written over: the store
// starts empty, logs why, and keeps its changes in memory only.
class Preferences : public QObject {
    Q_OBJECT

public:
    enum class Access {
        ReadWrite,
        // For tools that must never change the user's file: a corrupt file is left where it is
        // (and reads as empty) and every write or removal is ignored.
        ReadOnly,
    };

    // How long changes gather in memory before the file is written.
    static constexpr int saveDelayMs = 500;

    explicit Preferences(const QString& filePath, QObject* parent = nullptr);
    Preferences(const QString& filePath, Access access, QObject* parent = nullptr);
    // Writes pending changes.
    ~Preferences() override;

    // The user's store at the default location. Made on first use and kept for the whole run;
    // whoever ends the run calls flush().
    static Preferences& standard();
    // $XDG_CONFIG_HOME/CodePlexor/CodePlexor.json, with the XDG default for an unset variable.
    static QString defaultFilePath();

    QString filePath() const { return m_filePath; }
    // Where the file was last kept aside: moved there because it could not be read, or copied
    // there before a value marked with keepOriginal was replaced. Empty when nothing was kept.
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
    bool contains(const QString& key) const;
    QStringList allKeys() const;

    // Marks the value stored under `key` as one its owner could not use (it failed to decode or
    // held another type); nothing when the key is absent. The value reads as before, but before
    // the file is first written without it, the whole file as it was read is copied aside and
    // the copy's path logged, so the original bytes survive. When that copy cannot be made the
    // file is left as it is and changes live in memory only.
    void keepOriginal(const QString& key);

    // True while changes wait to be written.
    bool hasPendingChanges() const { return m_dirty; }
    // Writes pending changes now. False when the file could not be written (the changes stay
    // pending and the next change tries again). Main thread only, like every other member.
    bool flush();

Q_SIGNALS:
    // Emitted after a write or removal of `key` through this object.
    void changed(const QString& key);

private:
    void load();
    void write(const QString& key, const QVariant& value);
    void markChanged(const QString& key);
    bool keepOriginalFile();
    QVariant value(const QString& key) const { return m_values.value(key); }

    QString m_filePath;
    Access m_access = Access::ReadWrite;
    QString m_preservedCorruptFile;
    QMap<QString, QVariant> m_values;
    // The file's bytes as read, while a value marked by keepOriginal still stands in it.
    QByteArray m_originalContent;
    QSet<QString> m_keysToKeep;
    bool m_mustKeepOriginal = false;
    bool m_dirty = false;
    // The file is there but could not be read: it is never written over.
    bool m_unreadable = false;
    QTimer m_saveTimer;
};
