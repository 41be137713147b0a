#include "ui/transaction.h"

#include "ui/animation.h"

namespace quorlix::ui {

namespace {
Transaction& currentTransaction() {
    static Transaction transaction;
    return transaction;
}
}  // namespace

const Transaction& Transaction::current() { return currentTransaction(); }

void withTransaction(const Transaction& transaction, const std::function<void()>& body) {
    Transaction saved = currentTransaction();
    currentTransaction() = transaction;
    // Restored even when the body leaves early.
    struct Restore {
        Transaction& slot;
        Transaction saved;
        ~Restore() { slot = std::move(saved); }
    } restore{currentTransaction(), std::move(saved)};
    if (body) body();
}

void withAnimation(const std::optional<Animation>& animation, const std::function<void()>& body) {
    Transaction t;
    if (animation) t.animation = std::make_shared<const Animation>(*animation);
    withTransaction(t, body);
}

void withAnimation(const std::function<void()>& body) { withAnimation(Animation::standard(), body); }

}  // namespace quorlix::ui
