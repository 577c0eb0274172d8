#pragma once
// The project's own pictures of the start and stop buttons.

#include "ui/widgets.h"

namespace luckdial {

/// The start and stop buttons' three looks, drawn at the given size.
ButtonPictures startButtonPictures(int width = 199, int height = 70);
ButtonPictures stopButtonPictures(int width = 199, int height = 70);

} // namespace luckdial
