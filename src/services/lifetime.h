#pragma once
// Lets callbacks that may arrive after their object is gone (script replies, downloads,
// deferred work) find that out and do nothing: the object keeps a `Lifetime` member and
// wraps each such callback with `guard`.
//
//     http.get(request, lifetime_.guard([this](platform::HttpResult r) { use(r); }));
//
// Main thread only: the check and the call happen where the object is destroyed.

#include <memory>
#include <utility>

namespace quorlix {

class Lifetime {
public:
    Lifetime() = default;
    Lifetime(const Lifetime&) = delete;
    Lifetime& operator=(const Lifetime&) = delete;

    // `fn`, made to do nothing once the owner of this lifetime has been destroyed.
    template <class F>
    auto guard(F fn) const {
        return [alive = std::weak_ptr<const char>(token_), fn = std::move(fn)](auto&&... args) mutable {
            if (alive.expired()) return;
            fn(std::forward<decltype(args)>(args)...);
        };
    }

private:
    std::shared_ptr<const char> token_ = std::make_shared<const char>('\0');
};

}  // namespace quorlix
