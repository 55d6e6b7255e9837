// Reducing a picture to a small colour table so the picture-list packer can store it run-length coded.
#pragma once
#include "tools/artc/KeyedImage.h"

namespace artc {

// Counts the distinct colours of a picture, the key colour included.
int CountColors(const RgbImage& img);

// Reduces the colours other than the key to at most maxColors by median cut (deterministic: the
// same picture always gives the same result). Pictures already within the limit are left untouched;
// key pixels always stay key pixels and no other pixel becomes one. Returns the number of colours
// of the result, key included.
int QuantizeColors(RgbImage& img, int maxColors);

} // namespace artc
