#pragma once
// The view layer in one include: views, containers, modifiers, shapes, text, symbols,
// environment, preferences, and the graph that renders them.

#include "ui/color.h"
#include "ui/context.h"
#include "ui/display_list.h"
#include "ui/environment.h"
#include "ui/environment_keys.h"
#include "ui/font.h"
#include "ui/path.h"
#include "ui/preference.h"
#include "ui/shape.h"
#include "ui/symbol_catalog.h"
#include "ui/types.h"
#include "ui/view.h"
#include "ui/view_graph.h"
#include "ui/views.h"
