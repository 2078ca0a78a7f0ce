#pragma once

#include "app/platform/LoginItem.h"

#include <optional>

namespace stowline {

// A login entry in memory; `failWith` makes installing and removing fail at that step, leaving the entry as it was.
class FakeLoginItem final : public LoginItem {
public:
    QString location() const override { return QStringLiteral("/fake/autostart/stowline.desktop"); }
    bool exists() const override { return installedArguments.has_value(); }

    Status<LoginItemError> install(const QStringList& programArguments) override {
        if (failWith)
            return fail(LoginItemError{*failWith, location()});
        installedArguments = programArguments;
        return Unit{};
    }

    Status<LoginItemError> remove() override {
        if (failWith)
            return fail(LoginItemError{*failWith, location()});
        installedArguments.reset();
        return Unit{};
    }

    std::optional<QStringList> installedArguments;
    std::optional<LoginItemError::Step> failWith;
};

} // namespace stowline
