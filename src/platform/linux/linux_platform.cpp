#include "platform/linux/linux_platform.h"

#include "platform/linux/canberra_sound_player.h"
#include "platform/linux/pulse_audio_hardware.h"
#include "platform/linux/qt_main_queue.h"
#include "platform/linux/qt_screens.h"
#include "platform/linux/v4l2_cameras.h"
#include "platform/linux/xdg_login_item.h"

namespace quorlix::platform {

LinuxPlatform::LinuxPlatform()
    : mainQueue_(std::make_unique<QtMainQueue>()),
      clock_(std::make_unique<SystemClock>()),
      loginItem_(std::make_unique<XdgLoginItem>()),
      soundPlayer_(std::make_unique<CanberraSoundPlayer>()),
      screens_(std::make_unique<QtScreens>()),
      audio_(std::make_unique<PulseAudioHardware>()),
      cameras_(std::make_unique<V4l2Cameras>()) {
    platform_.mainQueue = mainQueue_.get();
    platform_.clock = clock_.get();
    platform_.loginItem = loginItem_.get();
    platform_.soundPlayer = soundPlayer_.get();
    platform_.screens = screens_.get();
    platform_.audio = audio_.get();
    platform_.cameras = cameras_.get();
}

LinuxPlatform::~LinuxPlatform() = default;

}  // namespace quorlix::platform
