#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <QVariantHash>

#include <optional>

namespace stowline {

// Whether writes reach the file. A read-only store keeps them in memory, so code that migrates or writes back
// behaves as usual while the user's file stays exactly as it was.
enum class PreferenceAccess { readWrite, readOnly };

// Typed values per key in an INI file, with a registration layer of defaults that is never written. A stored
// value that does not read as the asked type counts as absent, so the registered default shows through.
// Every write reaches the file at once.
class PreferenceStore {
public:
    // $XDG_CONFIG_HOME/org.stowline.Stowline/Stowline.conf
    static QString defaultFilePath();

    explicit PreferenceStore(const QString& filePath = defaultFilePath(),
                             PreferenceAccess access = PreferenceAccess::readWrite);

    QString filePath() const { return m_settings.fileName(); }

    // Values are bool, qint64, double, QString or QByteArray; later registrations replace earlier ones.
    void registerDefaults(const QVariantHash& defaults);

    std::optional<bool> boolean(const QString& key) const;
    std::optional<qint64> integer(const QString& key) const;
    std::optional<double> real(const QString& key) const;
    std::optional<QString> string(const QString& key) const;
    std::optional<QByteArray> data(const QString& key) const;

    // What the file holds, ignoring the registered defaults.
    std::optional<bool> storedBoolean(const QString& key) const;
    bool containsStored(const QString& key) const;

    void setBoolean(const QString& key, bool value);
    void setInteger(const QString& key, qint64 value);
    void setReal(const QString& key, double value);
    void setString(const QString& key, const QString& value);
    void setData(const QString& key, const QByteArray& value);
    void remove(const QString& key);

private:
    template <typename T>
    std::optional<T> read(const QString& key, bool withDefaults) const;
    void write(const QString& key, const QVariant& value);

    // What a value for `key` is, with the writes a read-only store kept in memory; invalid when there is none.
    QVariant stored(const QString& key) const;

    mutable QSettings m_settings;
    QVariantHash m_registered;
    PreferenceAccess m_access;
    // Read-only only: written values, and removed keys as invalid values.
    QVariantHash m_unsaved;
};

} // namespace stowline
