#pragma once
// The view layer in one include: views, containers, modifiers, shapes, text, symbols,
// environment, preferences, state, animation, transitions, timelines, interaction, and the
// graph and host that render them.

#include "ui/animation.h"
#include "ui/color.h"
#include "ui/context.h"
#include "ui/display_list.h"
#include "ui/environment.h"
#include "ui/environment_keys.h"
#include "ui/font.h"
#include "ui/interaction.h"
#include "ui/lifecycle.h"
#include "ui/path.h"
#include "ui/preference.h"
#include "ui/progress_view.h"
#include "ui/shape.h"
#include "ui/state.h"
#include "ui/symbol_catalog.h"
#include "ui/text_field.h"
#include "ui/timeline.h"
#include "ui/transaction.h"
#include "ui/transition.h"
#include "ui/types.h"
#include "ui/view.h"
#include "ui/view_graph.h"
#include "ui/view_host.h"
#include "ui/views.h"
