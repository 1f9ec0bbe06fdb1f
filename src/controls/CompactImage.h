#pragma once

#include <QImage>

namespace CompactImage {

// The same pixels in the smallest form that holds them exactly: two colours at one bit per pixel
// with a two-entry colour table, up to 256 at eight bits with a colour table, more as they are.
// A picture of two colours is found and packed in one pass over its pixels; otherwise a pass
// that stops at the 257th colour decides.
QImage compact(const QImage &decoded);

} // namespace CompactImage
