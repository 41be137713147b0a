#include "island/live_preview.h"

namespace quorlix {

LivePreview& LivePreview::shared() {
    static LivePreview preview;
    return preview;
}

}  // namespace quorlix
