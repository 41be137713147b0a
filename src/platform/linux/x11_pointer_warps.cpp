#include "platform/linux/x11_pointer_warps.h"

#include <QSocketNotifier>

#include <xcb/record.h>
#include <xcb/xcbext.h>
#include <xcb/xinput.h>

#include <cstdlib>

namespace quorlix::platform {

namespace {

// The kind of a recorded reply that carries requests clients sent.
constexpr std::uint8_t fromClient = 1;

}  // namespace

std::unique_ptr<X11PointerWarps> X11PointerWarps::start(xcb_connection_t* control, const std::string& display,
                                                        std::uint8_t inputOpcode,
                                                        std::function<void()> warped) {
    const auto* record = xcb_get_extension_data(control, &xcb_record_id);
    if (!record || !record->present) return nullptr;
    std::free(xcb_record_query_version_reply(control, xcb_record_query_version(control, 1, 13), nullptr));

    xcb_record_range_t ranges[2]{};
    ranges[0].core_requests = {XCB_WARP_POINTER, XCB_WARP_POINTER};
    ranges[1].ext_requests.major = {inputOpcode, inputOpcode};
    ranges[1].ext_requests.minor = {XCB_INPUT_XI_WARP_POINTER, XCB_INPUT_XI_WARP_POINTER};
    const int rangeCount = inputOpcode ? 2 : 1;
    const xcb_record_client_spec_t everyone = XCB_RECORD_CS_ALL_CLIENTS;
    const xcb_record_context_t context = xcb_generate_id(control);
    if (xcb_generic_error_t* error = xcb_request_check(
            control,
            xcb_record_create_context_checked(control, context, 0, 1, rangeCount, &everyone, ranges))) {
        std::free(error);
        return nullptr;
    }

    xcb_connection_t* data = xcb_connect(display.empty() ? nullptr : display.c_str(), nullptr);
    if (xcb_connection_has_error(data)) {
        xcb_disconnect(data);
        xcb_record_free_context(control, context);
        xcb_flush(control);
        return nullptr;
    }
    const auto cookie = xcb_record_enable_context(data, context);
    xcb_flush(data);
    return std::unique_ptr<X11PointerWarps>(
        new X11PointerWarps(control, data, context, cookie.sequence, std::move(warped)));
}

X11PointerWarps::X11PointerWarps(xcb_connection_t* control, xcb_connection_t* data, std::uint32_t context,
                                 unsigned int sequence, std::function<void()> warped)
    : control_(control), data_(data), context_(context), sequence_(sequence), warped_(std::move(warped)) {
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(data_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { read(); });
}

X11PointerWarps::~X11PointerWarps() {
    notifier_.reset();
    xcb_record_disable_context(control_, context_);
    xcb_record_free_context(control_, context_);
    xcb_flush(control_);
    xcb_disconnect(data_);
}

void X11PointerWarps::read() {
    // The recording answers its one request with a reply per batch of recorded requests.
    bool warped = false;
    for (;;) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (!xcb_poll_for_reply(data_, sequence_, &reply, &error)) break;
        std::free(error);
        if (!reply) {
            // The recording ended (the display went away): stop listening rather than spin.
            notifier_->setEnabled(false);
            break;
        }
        const auto* batch = static_cast<const xcb_record_enable_context_reply_t*>(reply);
        warped =
            warped || (batch->category == fromClient && xcb_record_enable_context_data_length(batch) > 0);
        std::free(reply);
    }
    if (warped) warped_();
}

}  // namespace quorlix::platform
