#include "app/platform/xdg/XdgAutostartEntry.h"

#include "core/support/AppIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

constexpr QFileDevice::Permissions entryPermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

bool isReserved(QChar c) {
    return u" \t\n\"'\\><~|&;$*?#()`"_s.contains(c);
}

bool isUnrepresentable(QChar c) {
    const char16_t u = c.unicode();
    return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0x7F;
}

QString quotedArgument(const QString& argument) {
    QString result;
    const bool quote = argument.isEmpty() || std::any_of(argument.begin(), argument.end(), isReserved);
    if (quote)
        result += u'"';
    for (QChar c : argument) {
        if (quote && (c == u'"' || c == u'`' || c == u'$' || c == u'\\'))
            result += u'\\';
        // A lone percent sign would start a field code.
        if (c == u'%')
            result += u'%';
        result += c;
    }
    if (quote)
        result += u'"';
    return result;
}

// The escapes of a desktop-file string value, applied by readers before the Exec quoting is undone.
QString escapedStringValue(const QString& value) {
    QString result;
    for (QChar c : value) {
        switch (c.unicode()) {
        case u'\\':
            result += u"\\\\"_s;
            break;
        case u'\n':
            result += u"\\n"_s;
            break;
        case u'\t':
            result += u"\\t"_s;
            break;
        case u'\r':
            result += u"\\r"_s;
            break;
        default:
            result += c;
        }
    }
    return result;
}

// Makes the rename itself durable; the file's own data is synced by QSaveFile.
void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

QString XdgAutostartEntry::defaultConfigHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

XdgAutostartEntry::XdgAutostartEntry(const QString& configHome) : m_configHome(configHome) {}

QString XdgAutostartEntry::location() const {
    return m_configHome + u"/autostart/"_s + AppIdentity::applicationIdentifier() + u".desktop"_s;
}

bool XdgAutostartEntry::exists() const {
    return QFileInfo::exists(location());
}

std::optional<QString> XdgAutostartEntry::execValue(const QStringList& arguments) {
    QStringList quoted;
    for (const QString& argument : arguments) {
        if (std::any_of(argument.begin(), argument.end(), isUnrepresentable))
            return std::nullopt;
        quoted.append(quotedArgument(argument));
    }
    return escapedStringValue(quoted.join(u' '));
}

QStringList XdgAutostartEntry::launchedArguments(const QStringList& programArguments) {
    // GLib, and with it GNOME's autostart, looks for the program before it turns "%%" back into "%", so it would
    // not find a program whose path holds a percent sign. The shell is found, and then runs the program.
    if (programArguments.isEmpty() || !programArguments.first().contains(u'%'))
        return programArguments;
    return QStringList{u"/bin/sh"_s, u"-c"_s, u"exec \"$0\" \"$@\""_s} + programArguments;
}

Status<LoginItemError> XdgAutostartEntry::install(const QStringList& programArguments) {
    const QString path = location();
    const auto exec = execValue(launchedArguments(programArguments));
    if (!exec)
        return fail(LoginItemError{LoginItemError::Step::encode, path});
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder))
        return fail(LoginItemError{LoginItemError::Step::createFolder, folder});

    const QString entry = u"[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name="_s +
                          AppIdentity::applicationName() + u"\nExec="_s + *exec +
                          u"\nTerminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n"_s;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry.toUtf8()) < 0)
        return fail(LoginItemError{LoginItemError::Step::write, path});
    // Set on the temporary file, so the entry never appears with other permissions.
    if (!file.setPermissions(entryPermissions))
        return fail(LoginItemError{LoginItemError::Step::setPermissions, path});
    if (!file.commit())
        return fail(LoginItemError{LoginItemError::Step::write, path});
    syncFolder(folder);
    return Unit{};
}

Status<LoginItemError> XdgAutostartEntry::remove() {
    const QString path = location();
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
        return Unit{};
    if (!QFile::remove(path))
        return fail(LoginItemError{LoginItemError::Step::remove, path});
    return Unit{};
}

} // namespace stowline
