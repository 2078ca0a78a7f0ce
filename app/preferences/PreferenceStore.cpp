#include "app/preferences/PreferenceStore.h"

#include "core/support/AppIdentity.h"

#include <QLocale>
#include <QStandardPaths>

#include <cmath>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

// The INI file keeps only text, so a value written as a number or a switch comes back as a string after a
// restart; until then QSettings hands back the value as it was set. Both forms are accepted, nothing looser.
std::optional<bool> asBoolean(const QVariant& value) {
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = value.toString();
    if (text == u"true")
        return true;
    if (text == u"false")
        return false;
    return std::nullopt;
}

std::optional<qint64> asInteger(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        return value.toLongLong();
    case QMetaType::QString: {
        bool ok = false;
        const qint64 number = value.toString().toLongLong(&ok, 10);
        return ok ? std::optional(number) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<double> asReal(const QVariant& value) {
    double number = 0;
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        number = value.toDouble();
    } else if (const auto integer = asInteger(value)) {
        number = static_cast<double>(*integer);
    } else if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        number = QLocale::c().toDouble(value.toString(), &ok);
        if (!ok)
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    // Infinity or NaN as a size or a duration is damage, not a setting.
    return std::isfinite(number) ? std::optional(number) : std::nullopt;
}

std::optional<QString> asString(const QVariant& value) {
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<QByteArray> asData(const QVariant& value) {
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toByteArray();
}

template <typename T>
std::optional<T> convert(const QVariant& value) {
    if constexpr (std::is_same_v<T, bool>)
        return asBoolean(value);
    else if constexpr (std::is_same_v<T, qint64>)
        return asInteger(value);
    else if constexpr (std::is_same_v<T, double>)
        return asReal(value);
    else if constexpr (std::is_same_v<T, QString>)
        return asString(value);
    else
        return asData(value);
}

} // namespace

QString PreferenceStore::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           AppIdentity::applicationIdentifier() + u'/' + AppIdentity::applicationName() + u".conf"_s;
}

PreferenceStore::PreferenceStore(const QString& filePath, PreferenceAccess access)
    : m_settings(filePath, QSettings::IniFormat), m_access(access) {}

void PreferenceStore::registerDefaults(const QVariantHash& defaults) {
    m_registered.insert(defaults);
}

template <typename T>
std::optional<T> PreferenceStore::read(const QString& key, bool withDefaults) const {
    if (const QVariant value = stored(key); value.isValid()) {
        if (auto converted = convert<T>(value))
            return converted;
    }
    if (!withDefaults)
        return std::nullopt;
    const auto registered = m_registered.constFind(key);
    return registered == m_registered.cend() ? std::nullopt : convert<T>(*registered);
}

std::optional<bool> PreferenceStore::boolean(const QString& key) const {
    return read<bool>(key, true);
}
std::optional<qint64> PreferenceStore::integer(const QString& key) const {
    return read<qint64>(key, true);
}
std::optional<double> PreferenceStore::real(const QString& key) const {
    return read<double>(key, true);
}
std::optional<QString> PreferenceStore::string(const QString& key) const {
    return read<QString>(key, true);
}
std::optional<QByteArray> PreferenceStore::data(const QString& key) const {
    return read<QByteArray>(key, true);
}
std::optional<bool> PreferenceStore::storedBoolean(const QString& key) const {
    return read<bool>(key, false);
}
bool PreferenceStore::containsStored(const QString& key) const {
    return stored(key).isValid();
}

QVariant PreferenceStore::stored(const QString& key) const {
    if (const auto unsaved = m_unsaved.constFind(key); unsaved != m_unsaved.cend())
        return *unsaved;
    return m_settings.value(key);
}

void PreferenceStore::setBoolean(const QString& key, bool value) {
    write(key, value);
}
void PreferenceStore::setInteger(const QString& key, qint64 value) {
    write(key, value);
}
void PreferenceStore::setReal(const QString& key, double value) {
    write(key, value);
}
void PreferenceStore::setString(const QString& key, const QString& value) {
    write(key, value);
}
void PreferenceStore::setData(const QString& key, const QByteArray& value) {
    write(key, value);
}

void PreferenceStore::remove(const QString& key) {
    if (m_access == PreferenceAccess::readOnly) {
        m_unsaved.insert(key, QVariant());
        return;
    }
    m_settings.remove(key);
    m_settings.sync();
}

void PreferenceStore::write(const QString& key, const QVariant& value) {
    if (m_access == PreferenceAccess::readOnly) {
        m_unsaved.insert(key, value);
        return;
    }
    m_settings.setValue(key, value);
    m_settings.sync();
}

} // namespace stowline
