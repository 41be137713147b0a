#pragma once
// The view layer's tree and environment, which the platform's windows host. Only declared
// here: the view layer, beside the platform, defines them.

namespace quorlix::ui {
class View;
class EnvironmentValues;
}  // namespace quorlix::ui
