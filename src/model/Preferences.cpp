#include "model/Preferences.h"

#include "model/PreferenceFileFormat.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace {

bool readJsonFile(QIODevice& device, QSettings::SettingsMap& map)
{
    std::optional<QVariantMap> values = PreferenceFileFormat::read(device.readAll());
    if (!values)
        return false;
    map = std::move(*values);
    return true;
}

bool writeJsonFile(QIODevice& device, const QSettings::SettingsMap& map)
{
    const QByteArray content = PreferenceFileFormat::write(map);
    return device.write(content) == content.size();
}

QSettings::Format jsonFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("json"), readJsonFile, writeJsonFile);
    return format;
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

// Moves a file that is not a JSON object aside so that no write replaces it, and returns where it
// went (empty when the file is fine, missing, or could not be moved).
QString preserveIfCorrupt(const QString& filePath)
{
    QFile file(filePath);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return {};
    const bool readable = PreferenceFileFormat::read(file.readAll()).has_value();
    file.close();
    if (readable)
        return {};

    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString target = filePath + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target =
            filePath + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(filePath, target))
        return {};
    return target;
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
    if (access == Access::ReadWrite) {
        QDir().mkpath(QFileInfo(filePath).absolutePath());
        m_preservedCorruptFile = preserveIfCorrupt(filePath);
        // A writer killed in the middle of a save leaves its lock file behind: taking and
        // releasing the lock removes one whose process is gone, and one left empty (killed
        // before it named its process) is removed as it stands.
        const QString lockPath = filePath + QStringLiteral(".lock");
        QLockFile lock(lockPath);
        if (lock.tryLock(0))
            lock.unlock();
        else if (QFileInfo(lockPath).size() == 0)
            QFile::remove(lockPath);
        removeInterruptedWrites(filePath);
    }
    m_settings = std::make_unique<QSettings>(filePath, jsonFormat());
}

Preferences::~Preferences()
{
    flush();
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
    const QVariant value = m_settings->value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<QByteArray> Preferences::bytes(QLatin1StringView key) const
{
    const QVariant value = m_settings->value(QString(key));
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toByteArray();
}

std::optional<bool> Preferences::boolean(QLatin1StringView key) const
{
    return boolean(QString(key));
}

std::optional<bool> Preferences::boolean(const QString& key) const
{
    const QVariant value = m_settings->value(key);
    if (value.typeId() != QMetaType::Bool)
        return std::nullopt;
    return value.toBool();
}

std::optional<double> Preferences::number(QLatin1StringView key) const
{
    const QVariant value = m_settings->value(QString(key));
    if (value.typeId() != QMetaType::Double)
        return std::nullopt;
    return value.toDouble();
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
    m_settings->setValue(key, value);
    m_settings->sync();
    Q_EMIT changed(key);
}

void Preferences::remove(const QString& key)
{
    if (m_access == Access::ReadOnly)
        return;
    m_settings->remove(key);
    m_settings->sync();
    Q_EMIT changed(key);
}

void Preferences::flush()
{
    if (m_access == Access::ReadWrite)
        m_settings->sync();
}

bool Preferences::contains(const QString& key) const
{
    return m_settings->contains(key);
}

QStringList Preferences::allKeys() const
{
    return m_settings->allKeys();
}
