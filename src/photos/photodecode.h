#pragma once
// A participant's photo turned into the picture a card shows: recognised by
// its content (JPEG or PNG, whatever the file is called), decoded at about
// the size it is shown, cropped to the portrait ratio where faces are.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

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
/// Pixels a JPEG photo is decoded to at most (three bytes each: about the
/// memory the PNG limit allows); a photo that would need more is decoded at
/// a smaller scale and enlarged. A phone photo for a hall's card needs a
/// fifth of this.
constexpr long long kMaxDecodedPixels = 16LL * 1024 * 1024;
/// A photo file larger than this is not read (a phone photo is 2-8 MB).
constexpr long long kMaxPhotoFileBytes = 48LL * 1024 * 1024;

/// The bytes of the photo file at `path` (a native path); empty when it
/// cannot be read whole or is larger than kMaxPhotoFileBytes.
std::string readPhotoFile(const QString& path);

/// The 3:4 part of a picture of size `image` a card shows: the full height of
/// a wider picture, centred; the full width of a taller one, a fifth of the
/// spare height above it (faces sit in the upper part of a portrait).
QRect portraitCrop(QSize image);

/// The card size for a photo `width` pixels wide (3:4).
QSize photoSize(int width);

/// The photo in `bytes` cropped and scaled to exactly `size`; a null image
/// for anything that is not a whole JPEG or PNG within the limits.
QImage decodePhoto(const std::string& bytes, QSize size);

/// The photo's portrait crop scaled down to fit within `bound` (never
/// enlarged), with the same limits as decodePhoto.
QImage decodePhotoWithin(const std::string& bytes, QSize bound);

/// The size the crop `crop` takes when it is fitted within `bound`: the
/// crop itself when it already fits, else scaled down with its ratio.
QSize fittedWithin(QSize crop, QSize bound);

} // namespace luckdial
