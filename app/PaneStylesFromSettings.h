#pragma once
// Each pane's style as the user's settings give it: the one place where a display setting
// is mapped onto the pane that draws with it.
#include "model/LSettings.h"
#include "panes/PaneStyles.h"

SliceStyle SliceStyleFromSettings(const LSettings& settings);
ProjectionStyle ProjectionStyleFromSettings(const LSettings& settings);
Scene3DStyle Scene3DStyleFromSettings(const LSettings& settings);
