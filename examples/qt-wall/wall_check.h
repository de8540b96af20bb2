// Check mode (--check DIR), for scripts that test the wall: once every
// opened tile has played its file, each tile's picture as the library hands
// it out is saved as DIR/tile-N.bmp and its place on the screen written to
// DIR/tiles.txt ("N x y width height"); then "ready" is printed, and the
// wall stays up until standard input ends, so the screen can be grabbed.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class WallWindow;
class QSocketNotifier;

class WallCheck : public QObject {
    Q_OBJECT
public:
    WallCheck(WallWindow &wall, int tiles, const QString &directory);

private:
    void poll();
    void save();

    WallWindow &wall_;
    int tiles_;
    QString directory_;
    QTimer timer_;
    QSocketNotifier *input_ = nullptr;
};
