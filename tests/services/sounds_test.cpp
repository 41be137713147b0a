#include "services/sounds.h"
#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

class SoundsTest : public ::testing::Test {
protected:
    // The list of playing sounds outlives the fake's queue: let every release fall due, so
    // the next test starts with none.
    ~SoundsTest() override { fake.time.advance(10); }

    fakes::FakePlatform fake;
};

TEST_F(SoundsTest, PlaysTheResourceAtTheGivenVolume) {
    fake.soundPlayer.files = {{"temporizador.wav", 1.5}};
    Sounds::play(Sound::timer, 0.3);
    ASSERT_EQ(fake.soundPlayer.created.size(), 1u);
    EXPECT_EQ(fake.soundPlayer.created[0]->name, "temporizador.wav");
    EXPECT_EQ(fake.soundPlayer.created[0]->volume, 0.3);
    EXPECT_EQ(fake.soundPlayer.created[0]->plays, 1);
}

TEST_F(SoundsTest, MissingResourcesFallBackToSystemSoundsThenToSilence) {
    Sounds::play(Sound::lock, 1);
    Sounds::play(Sound::unlock, 1);
    Sounds::play(Sound::timer, 1);
    ASSERT_EQ(fake.soundPlayer.created.size(), 3u);
    EXPECT_EQ(fake.soundPlayer.created[0]->name, "Pop");
    EXPECT_EQ(fake.soundPlayer.created[1]->name, "Glass");
    EXPECT_EQ(fake.soundPlayer.created[2]->name, "Glass");

    fake.soundPlayer.systemSounds.clear();
    Sounds::play(Sound::lock, 1);
    EXPECT_EQ(fake.soundPlayer.created.size(), 3u);
}

TEST_F(SoundsTest, OverlappingPlaysAreEachReleasedByTheirOwnTimer) {
    fake.soundPlayer.files = {{"candado-cerrar.wav", 0.2}, {"temporizador.wav", 2.0}};
    Sounds::play(Sound::lock, 1);    // short: kept max(0.2, 0.5) + 0.5 = 1.0 s
    Sounds::play(Sound::lock, 1);    // a second instance, not the first one restarted
    Sounds::play(Sound::timer, 1);   // kept 2.0 + 0.5 = 2.5 s
    ASSERT_EQ(Sounds::playing().size(), 3u);
    EXPECT_NE(Sounds::playing()[0], Sounds::playing()[1]);
    EXPECT_EQ(fake.soundPlayer.created[0]->plays, 1);

    fake.time.advance(0.99);
    EXPECT_EQ(Sounds::playing().size(), 3u);
    fake.time.advance(0.01);
    EXPECT_EQ(Sounds::playing().size(), 1u);
    fake.time.advance(1.49);
    EXPECT_EQ(Sounds::playing().size(), 1u);
    fake.time.advance(0.01);
    EXPECT_TRUE(Sounds::playing().empty());
}

TEST_F(SoundsTest, VolumeIsKeptWithinRange) {
    fake.soundPlayer.files = {{"candado-abrir.wav", 0.4}};
    Sounds::play(Sound::unlock, 7);
    Sounds::play(Sound::unlock, -1);
    EXPECT_EQ(fake.soundPlayer.created[0]->volume, 1.0);
    EXPECT_EQ(fake.soundPlayer.created[1]->volume, 0.0);
    fake.time.advance(5);
}

}  // namespace
}  // namespace quorlix
