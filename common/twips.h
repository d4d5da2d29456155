// SPDX-License-Identifier: GPL-3.0-or-later
// Window geometry is designed and stored in twips (1440 per inch).
#pragma once

#include <QRect>

namespace crunchwise::Twips {

// Twips per pixel on the primary screen (15 at 96 DPI).
double perPixel();
int toPixels(double twips);
double fromPixels(int pixels);
// A rectangle given as left, top, width, height in twips.
QRect rect(int left, int top, int width, int height);

} // namespace crunchwise::Twips
