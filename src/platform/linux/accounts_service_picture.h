#pragma once
// The account picture from AccountsService: the user object that "FindUserById" names, and
// its "IconFile" property. Safe to call from a worker thread (the bus connection is
// thread-safe); each call waits at most a few seconds for the service.

#include "platform/account_picture.h"

#include <QDBusConnection>

namespace quorlix::platform {

class AccountsServicePicture final : public AccountPicture {
public:
    explicit AccountsServicePicture(QDBusConnection bus) : bus_(std::move(bus)) {}
    std::optional<std::filesystem::path> pictureFile(unsigned uid) override;

private:
    QDBusConnection bus_;
};

}  // namespace quorlix::platform
