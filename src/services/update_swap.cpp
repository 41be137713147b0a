#include "services/update_swap.h"

namespace quorlix {

namespace {

// $1 PID, $2 APP, $3 OLD, $4 NEW, $5 DIR, $6 seconds to wait for PID.
//
// `mv -T` never moves APP into a stale OLD that could not be removed: it fails instead, and
// APP stays where it is. OLD is moved back only when APP really went there.
constexpr std::string_view text = R"(pid=$1 app=$2 old=$3 new=$4 dir=$5
polls=$(($6 * 5))
while kill -0 "$pid" 2>/dev/null; do
  if [ "$polls" -le 0 ]; then rm -rf -- "$dir"; exit 1; fi
  polls=$((polls - 1))
  sleep 0.2
done
rm -rf -- "$old"
if mv -T -- "$app" "$old"; then
  if cp -R -P --preserve=mode,timestamps -T -- "$new" "$app"; then
    rm -rf -- "$old"
  else
    rm -rf -- "$app"
    mv -T -- "$old" "$app"
  fi
fi
rm -rf -- "$dir"
setsid -f "$app/quorlix" </dev/null >/dev/null 2>&1)";

}  // namespace

std::string_view Swap::script() { return text; }

std::filesystem::path Swap::oldFolder(const std::filesystem::path& application) {
    return application.string() + ".old";
}

std::vector<std::string> Swap::arguments(const SwapPlan& plan) {
    return {"-c",
            std::string(text),
            "quorlix-update",
            std::to_string(plan.processID),
            plan.application.string(),
            oldFolder(plan.application).string(),
            plan.staged.string(),
            plan.workFolder.string(),
            std::to_string(plan.exitWait)};
}

}  // namespace quorlix
