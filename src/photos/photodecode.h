#pragma once
// A participant's photo turned into the picture a card shows: recognised by
// its content (JPEG or PNG, whatever the file is called), decoded at about
// the size it is shown, cropped to the portrait ratio where faces are.

#include <QImage>
#include <QRect>
#include <QSize>

#include <string>

namespace luckdial {

/// Width : height of every card photo.
constexpr int kPhotoRatioWidth = 3;
constexpr int kPhotoRatioHeight = 4;
/// A PNG photo whose pixels would take more than this is refused before it
/// is decoded (Qt's allocation limit, in megabytes).
constexpr int kPngAllocationLimitMb = 64;
/// Photos larger than this many pixels are refused (a 12-megapixel phone
/// photo is well inside).
constexpr long long kMaxPhotoPixels = 64LL * 1000 * 1000;

/// The 3:4 part of a picture of size `image` a card shows: the full height of
/// a wider picture, centred; the full width of a taller one, a fifth of the
/// spare height above it (faces sit in the upper part of a portrait).
QRect portraitCrop(QSize image);

/// The card size for a photo `width` pixels wide (3:4).
QSize photoSize(int width);

/// The photo in `bytes` cropped and scaled to exactly `size`; a null image
/// for anything that is not a whole JPEG or PNG within the limits.
QImage decodePhoto(const std::string& bytes, QSize size);

} // namespace luckdial
