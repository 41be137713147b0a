// The account picture from a stand-in AccountsService on a private bus, read as the user's
// profile reads it (through the image decoder), and ~/.face when no service answers; a service
// that never answers holds nothing.

#include "platform/linux/accounts_service_picture.h"

#include "fakes/fake_platform.h"
#include "platform/linux/qt_image_decoder.h"
#include "settings/user_profile.h"

#include "dbus_stand_in.h"
#include "private_bus.h"
#include "qt_test_support.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QImage>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>

namespace quorlix::platform {
namespace {

namespace fs = std::filesystem;

// What the backend answers for `uid`, once it has.
std::optional<fs::path> ask(AccountPicture& picture, unsigned uid) {
    std::optional<std::optional<fs::path>> answer;
    picture.pictureFile(uid, [&](std::optional<fs::path> file) { answer = std::move(file); });
    EXPECT_TRUE(testing::waitUntil([&] { return answer.has_value(); }));
    return answer.value_or(std::nullopt);
}

fs::path savePicture(const fs::path& file, QColor colour) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    image.save(QString::fromStdString(file.string()), "PNG");
    return file;
}

TEST(AccountsServicePictureTest, TheUsersIconFileIsReadElseTheFaceFile) {
    testing::QtApplicationMember app;
    testing::PrivateBus bus;
    ASSERT_TRUE(bus.ready());
    fakes::TempHome home;
    const fs::path icon = savePicture(home.path() / "icono.png", Qt::red);
    const fs::path face = savePicture(home.path() / ".face", Qt::blue);

    // The service runs before the backend asks it.
    std::optional<testing::StandInService> service;
    service.emplace(bus.connect(QStringLiteral("accounts")), QStringLiteral("org.freedesktop.Accounts"));
    testing::StandInService& accounts = *service;
    ASSERT_TRUE(accounts.isRegistered());
    const QString user = QStringLiteral("/org/freedesktop/Accounts/User1000");
    accounts.handle(QStringLiteral("org.freedesktop.Accounts"), QStringLiteral("FindUserById"),
                    [user](const QDBusMessage& call) {
                        if (call.arguments().value(0).toLongLong() != 1000)
                            return call.createErrorReply(
                                QStringLiteral("org.freedesktop.Accounts.Error.Failed"),
                                QStringLiteral("no such user"));
                        return call.createReply(QVariant::fromValue(QDBusObjectPath(user)));
                    });
    accounts.add(user, QStringLiteral("org.freedesktop.Accounts.User"),
                 {{QStringLiteral("IconFile"), QString::fromStdString(icon.string())}});

    AccountsServicePicture picture(bus.connect(QStringLiteral("quorlix")));
    EXPECT_EQ(ask(picture, 1000), icon);
    EXPECT_EQ(ask(picture, 1001), std::nullopt);

    QtImageDecoder decoder;
    const auto read = [&](AccountPicture* service, unsigned uid) {
        const auto image = UserProfile::readPhoto(ask(*service, uid), decoder, face);
        return image ? (*image->pixels)[0] : -1;  // the red of the first pixel
    };
    EXPECT_EQ(read(&picture, 1000), 255);  // the icon file
    EXPECT_EQ(read(&picture, 1001), 0);    // no such user: ~/.face
    // The icon file named is gone: ~/.face.
    accounts.set(user, QStringLiteral("org.freedesktop.Accounts.User"), QStringLiteral("IconFile"),
                 QString::fromStdString((home.path() / "borrado.png").string()));
    EXPECT_EQ(read(&picture, 1000), 0);

    // The service has left the bus.
    service.reset();
    EXPECT_EQ(ask(picture, 1000), std::nullopt);
    EXPECT_EQ(read(&picture, 1000), 0);
}

TEST(AccountsServicePictureTest, AServiceThatOwnsItsNameButNeverAnswersHoldsNothing) {
    testing::QtApplicationMember app;
    testing::PrivateBus bus;
    ASSERT_TRUE(bus.ready());
    testing::StandInService accounts(bus.connect(QStringLiteral("accounts")),
                                     QStringLiteral("org.freedesktop.Accounts"));
    ASSERT_TRUE(accounts.isRegistered());
    std::atomic<int> asked = 0;
    accounts.handle(QStringLiteral("org.freedesktop.Accounts"), QStringLiteral("FindUserById"),
                    [&](const QDBusMessage&) {
                        ++asked;
                        return QDBusMessage();  // no answer, ever
                    });

    // Asking returns at once; the answer would come on the main thread, and the backend that
    // goes first takes its call with it.
    bool answered = false;
    auto picture = std::make_unique<AccountsServicePicture>(bus.connect(QStringLiteral("quorlix")));
    picture->pictureFile(1000, [&](std::optional<fs::path>) { answered = true; });
    ASSERT_TRUE(testing::waitUntil([&] { return asked == 1; })) << "the call never reached the service";
    picture.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(answered);
}

}  // namespace
}  // namespace quorlix::platform
