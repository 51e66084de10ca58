#include "model/Preferences.h"

#include "model/PreferenceFileFormat.h"

#include "platform/Log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

std::optional<QVariantMap> parseStore(const QByteArray& content)
{
    return PreferenceFileFormat::read(content);
}

// Replaces `filePath` with `content` through a new file renamed over it, so a reader (or a
// crash) sees either the old file or the new one, never a part.
bool replaceFile(const QString& filePath, const QByteArray& content)
{
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// A free name beside `filePath` for a copy kept aside: ".corrupt-" and the time.
QString nameAside(const QString& filePath)
{
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString target = filePath + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target =
            filePath + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(n);
    return target;
}

// Removes what an interrupted atomic write leaves beside the file: the new file under the
// file's name, a dot and six random letters, never renamed into place.
void removeInterruptedWrites(const QString& filePath)
{
    const QFileInfo info(filePath);
    const QRegularExpression leftover(
        QRegularExpression::anchoredPattern(QRegularExpression::escape(info.fileName()) +
                                            QStringLiteral("\\.[A-Za-z]{6}")));
    QDir folder = info.absoluteDir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (leftover.match(name).hasMatch())
            folder.remove(name);
    }
}

// The file's bytes: empty when there is no file, none when it is there but cannot be read.
std::optional<QByteArray> readWholeFile(const QString& filePath, QString* error = nullptr)
{
    QFile file(filePath);
    if (!file.exists())
        return QByteArray();
    QByteArray content;
    if (file.open(QIODevice::ReadOnly))
        content = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return content;
}

} // namespace

Preferences::Preferences(const QString& filePath, QObject* parent)
    : Preferences(filePath, Access::ReadWrite, parent)
{}

Preferences::Preferences(const QString& filePath, Access access, QObject* parent)
    : QObject(parent)
    , m_filePath(filePath)
    , m_access(access)
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(saveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &Preferences::flush);
    load();
}

Preferences::~Preferences()
{
    flush();
}

void Preferences::load()
{
    QString error;
    const std::optional<QByteArray> content = readWholeFile(m_filePath, &error);
    if (!content) {
        // What the file holds is unknown, so it is never written over; changes live in memory.
        m_unreadable = true;
        if (m_access == Access::ReadWrite)
            Log::line(QStringLiteral("Cannot read the preferences, changes will not be saved: ") +
                      m_filePath + QStringLiteral(" (") + error + QLatin1Char(')'));
        return;
    }
    std::optional<QMap<QString, QVariant>> values = parseStore(*content);
    if (values) {
        m_values = std::move(*values);
    } else if (m_access == Access::ReadWrite) {
        // Never overwritten: the unreadable file goes aside and the store starts empty.
        const QString target = nameAside(m_filePath);
        if (QFile::rename(m_filePath, target))
            m_preservedCorruptFile = target;
    }
    if (m_access == Access::ReadWrite) {
        QDir().mkpath(QFileInfo(m_filePath).absolutePath());
        removeInterruptedWrites(m_filePath);
    }
}

Preferences& Preferences::standard()
{
    static Preferences* store = new Preferences(defaultFilePath());
    return *store;
}

QString Preferences::defaultFilePath()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return configHome + QStringLiteral("/CodePlexor/CodePlexor.json");
}

std::optional<QString> Preferences::text(QLatin1StringView key) const
{
    return text(QString(key));
}

std::optional<QString> Preferences::text(const QString& key) const
{
    const QVariant stored = value(key);
    if (stored.typeId() != QMetaType::QString)
        return std::nullopt;
    return stored.toString();
}

std::optional<QByteArray> Preferences::bytes(QLatin1StringView key) const
{
    const QVariant stored = value(QString(key));
    if (stored.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return stored.toByteArray();
}

std::optional<bool> Preferences::boolean(QLatin1StringView key) const
{
    return boolean(QString(key));
}

std::optional<bool> Preferences::boolean(const QString& key) const
{
    const QVariant stored = value(key);
    if (stored.typeId() != QMetaType::Bool)
        return std::nullopt;
    return stored.toBool();
}

std::optional<double> Preferences::number(QLatin1StringView key) const
{
    const QVariant stored = value(QString(key));
    if (stored.typeId() != QMetaType::Double)
        return std::nullopt;
    return stored.toDouble();
}

void Preferences::setText(QLatin1StringView key, const QString& value)
{
    write(QString(key), value);
}

void Preferences::setText(const QString& key, const QString& value)
{
    write(key, value);
}

void Preferences::setBytes(QLatin1StringView key, const QByteArray& value)
{
    write(QString(key), value);
}

void Preferences::setBoolean(QLatin1StringView key, bool value)
{
    write(QString(key), value);
}

void Preferences::setBoolean(const QString& key, bool value)
{
    write(key, value);
}

void Preferences::setNumber(QLatin1StringView key, double value)
{
    write(QString(key), value);
}

void Preferences::write(const QString& key, const QVariant& value)
{
    if (m_access == Access::ReadOnly)
        return;
    m_values.insert(key, value);
    markChanged(key);
}

void Preferences::remove(const QString& key)
{
    if (m_access == Access::ReadOnly)
        return;
    m_values.remove(key);
    markChanged(key);
}

void Preferences::markChanged(const QString& key)
{
    if (m_keysToKeep.contains(key))
        m_mustKeepOriginal = true;
    m_dirty = true;
    // Not restarted by later changes, so steady typing still reaches the file every interval.
    if (!m_saveTimer.isActive())
        m_saveTimer.start();
    Q_EMIT changed(key);
}

bool Preferences::contains(const QString& key) const
{
    return m_values.contains(key);
}

QStringList Preferences::allKeys() const
{
    return m_values.keys();
}

void Preferences::keepOriginal(const QString& key)
{
    if (m_access == Access::ReadOnly || !m_values.contains(key))
        return;
    // The file still holds the value as it was read: whatever this store wrote since kept it.
    if (m_keysToKeep.isEmpty()) {
        const std::optional<QByteArray> original = readWholeFile(m_filePath);
        if (!original) {
            m_unreadable = true;
            return;
        }
        m_originalContent = *original;
    }
    m_keysToKeep.insert(key);
}

// Writes the file as it was read beside it, before a write replaces a value marked with
// keepOriginal. One copy keeps every marked value.
bool Preferences::keepOriginalFile()
{
    const QString target = nameAside(m_filePath);
    if (!replaceFile(target, m_originalContent)) {
        Log::line(QStringLiteral("Error keeping a copy of the preferences before replacing a "
                                 "value that could not be read, changes are not saved: ") +
                  target);
        return false;
    }
    Log::line(QStringLiteral("Kept a copy of the preferences before replacing a value that "
                             "could not be read: ") +
              target);
    m_preservedCorruptFile = target;
    m_keysToKeep.clear();
    m_originalContent.clear();
    m_mustKeepOriginal = false;
    return true;
}

bool Preferences::flush()
{
    m_saveTimer.stop();
    if (!m_dirty || m_access == Access::ReadOnly)
        return true;
    if (m_unreadable)
        return false;
    if (m_mustKeepOriginal && !keepOriginalFile())
        return false;
    if (!replaceFile(m_filePath, PreferenceFileFormat::write(m_values))) {
        Log::line(QStringLiteral("Error saving preferences: ") + m_filePath);
        return false;
    }
    m_dirty = false;
    return true;
}
