#pragma once
// The JPEG decoder lives with the photos; the background and prize pictures
// use the same one.

#include "photos/jpeg.h"
