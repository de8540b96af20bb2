// What a widget shows, read back from the screen: the library draws into the
// tiles' windows, so only the screen says what the user sees.
#pragma once

#include <QImage>

class QWidget;

QImage grabShown(const QWidget &widget);

// How far apart two pictures look, 0 (alike) to 1: the mean difference of
// their 16 x 16 block averages.
double blockDifference(const QImage &a, const QImage &b);

// The frame number a picture of numbered frames carries (nine vertical
// stripes, the number's bits from the highest on the left, white for 1);
// -1 when a stripe is neither clearly white nor clearly black.
int readFrameNumber(const QImage &picture);
