#include "screen_probe.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <cstdlib>

namespace {

constexpr int kBlocks = 16;
constexpr int kStripes = 9;
// Stripe averages between these are a picture in the middle of a change.
constexpr int kBlackBelow = 64;
constexpr int kWhiteAbove = 192;

QImage blockAverages(const QImage &picture)
{
    return picture.convertToFormat(QImage::Format_RGB32)
        .scaled(kBlocks, kBlocks, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The mean grey of the middle half of a stripe, in height and width.
int stripeGrey(const QImage &picture, int stripe)
{
    const int width = picture.width() / kStripes;
    const int left = stripe * width + width / 4, top = picture.height() / 4;
    long sum = 0, count = 0;
    for (int y = top; y < top + picture.height() / 2; ++y)
        for (int x = left; x < left + width / 2; ++x, ++count) sum += qGray(picture.pixel(x, y));
    return count > 0 ? int(sum / count) : -1;
}

} // namespace

QImage grabShown(const QWidget &widget)
{
    const QPoint at = widget.mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), widget.width(), widget.height()).toImage();
}

double blockDifference(const QImage &a, const QImage &b)
{
    const QImage blocksA = blockAverages(a), blocksB = blockAverages(b);
    long sum = 0;
    for (int y = 0; y < kBlocks; ++y)
        for (int x = 0; x < kBlocks; ++x) {
            const QRgb p = blocksA.pixel(x, y), q = blocksB.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return double(sum) / (kBlocks * kBlocks * 3 * 255);
}

int readFrameNumber(const QImage &picture)
{
    int number = 0;
    for (int stripe = 0; stripe < kStripes; ++stripe) {
        const int grey = stripeGrey(picture, stripe);
        if (grey >= kBlackBelow && grey <= kWhiteAbove) return -1;
        number = number * 2 + (grey > kWhiteAbove ? 1 : 0);
    }
    return number;
}
