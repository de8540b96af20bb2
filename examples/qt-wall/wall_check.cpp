#include "wall_check.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

#include "wall_window.h"

namespace {

constexpr int kPollMs = 50;
// The last picture taken from a cache is still on its way to the window.
constexpr int kSettleMs = 500;

} // namespace

WallCheck::WallCheck(WallWindow &wall, int tiles, const QString &directory)
    : wall_(wall), tiles_(tiles), directory_(directory)
{
    connect(&timer_, &QTimer::timeout, this, &WallCheck::poll);
    timer_.start(kPollMs);
}

void WallCheck::poll()
{
    for (int i = 0; i < tiles_; ++i)
        if (wall_.player(i) == nullptr || !wall_.player(i)->finished()) return;
    timer_.stop();
    QTimer::singleShot(kSettleMs, this, &WallCheck::save);
}

void WallCheck::save()
{
    QFile places(directory_ + QStringLiteral("/tiles.txt"));
    if (!places.open(QIODevice::WriteOnly | QIODevice::Text)) QCoreApplication::exit(1);
    QTextStream out(&places);
    for (int i = 0; i < tiles_; ++i) {
        if (!wall_.player(i)->snapshot(QStringLiteral("%1/tile-%2.bmp").arg(directory_).arg(i))) QCoreApplication::exit(1);
        Tile *tile = wall_.tile(i);
        const QPoint at = tile->mapToGlobal(QPoint(0, 0));
        out << i << ' ' << at.x() << ' ' << at.y() << ' ' << tile->width() << ' ' << tile->height() << '\n';
    }
    places.close();
    std::printf("ready\n");
    std::fflush(stdout);
    input_ = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(input_, &QSocketNotifier::activated, this, [] {
        char byte;
        if (read(STDIN_FILENO, &byte, 1) <= 0) QCoreApplication::quit();
    });
}
