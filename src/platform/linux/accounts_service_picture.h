#pragma once
// The account picture from AccountsService: the user object that "FindUserById" names, and
// its "IconFile" property, asked without waiting. Each call has a time limit of a few
// seconds; calls still pending when the object goes are dropped, so a service that holds its
// answers back never holds the quit. Main thread only.

#include "platform/account_picture.h"

#include <QDBusConnection>

#include <memory>

class QObject;

namespace quorlix::platform {

class AccountsServicePicture final : public AccountPicture {
public:
    explicit AccountsServicePicture(QDBusConnection bus);
    ~AccountsServicePicture() override;
    void pictureFile(unsigned uid, std::function<void(std::optional<std::filesystem::path>)> done) override;

    static constexpr int callTimeoutMs = 3000;

private:
    QDBusConnection bus_;
    // Holds the calls under way: they end with it.
    std::unique_ptr<QObject> calls_;
};

}  // namespace quorlix::platform
