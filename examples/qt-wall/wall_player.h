// One player of the wall: a ZAVIPlaySDK player shown in a tile's window,
// fed by a thread that pushes a packet stream at the pace of its time stamps
// (as a device sends live video) or reading a recording itself.
#pragma once

#include <QString>
#include <atomic>
#include <thread>

#include "ZAVIPlaySDK.h"
#include "stream_file.h"

class WallPlayer {
public:
    explicit WallPlayer(ZAVI_HWND window);
    ~WallPlayer();
    WallPlayer(const WallPlayer &) = delete;
    WallPlayer &operator=(const WallPlayer &) = delete;

    // Starts playing a stream or a recording; an error message, or empty.
    QString open(const QString &path);
    bool isRecording() const { return recording_; }
    // For the exports the wall does not wrap.
    ZAVI_HANDLE handle() const { return player_; }
    // Live: every packet fed and every picture taken from the cache.
    // Recording: played to its end.
    bool finished() const;

    void play();
    void pause();
    void step();
    void reverse();    // recordings: fast backward
    void setVolume(int percent);
    // Writes the current picture: JPEG for a .jpg name, BMP otherwise.
    bool snapshot(const QString &path);
    // The player goes on in another window (a tile filling the wall).
    void moveTo(ZAVI_HWND window);
    // Shows the last picture again, for a window that was shown, resized or
    // uncovered: a paused or ended player draws nothing new by itself.
    void repaint();

private:
    static void ZAVI_CALL onStatus(int32_t status, uint32_t, uintptr_t self, uintptr_t);
    void feed();

    ZAVI_HANDLE player_ = 0;
    bool recording_ = false;
    QByteArray path_;
    std::vector<Packet> packets_;
    std::atomic<bool> fedAll_{false};
    std::atomic<bool> ended_{false};
    std::atomic<bool> stop_{false};
    std::thread feeder_;
};
