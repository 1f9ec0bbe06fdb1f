#pragma once

#include <QImage>

namespace CompactImage {

// The same pixels in the smallest form that holds them exactly: two colours at one bit per pixel
// with a two-entry colour table, up to 256 at eight bits with a colour table, more as they are.
// Finding the colours is one pass over the pixels that stops at the 257th.
QImage compact(const QImage &decoded);

} // namespace CompactImage
