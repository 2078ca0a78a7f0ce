#pragma once

#include <QString>
#include <QStringList>

namespace stowline {

// What the compositor offers this client, as its registry announced it.
struct WaylandCapabilities {
    bool extDataControl = false;
    bool wlrDataControl = false;
    bool wlrForeignToplevel = false;
    bool plasmaWindowManagement = false;
    bool fakeInput = false;
    bool virtualKeyboard = false;
    bool xdgActivation = false;

    bool dataControl() const { return extDataControl || wlrDataControl; }
    // Notes one registry global; other interfaces are not ours to use.
    void noteGlobal(const QString& interface);
    // key=value lines, one per capability, for `stowline status`.
    QString report() const;

    friend bool operator==(const WaylandCapabilities&, const WaylandCapabilities&) = default;
};

} // namespace stowline
