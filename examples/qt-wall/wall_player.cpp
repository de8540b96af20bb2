#include "wall_player.h"

#include <QFile>
#include <chrono>

namespace {

constexpr int32_t kEndOfRecording = -1189;
constexpr int32_t kSilent = -10000; // volume: hundredths of a decibel of attenuation

} // namespace

WallPlayer::WallPlayer(ZAVI_HWND window)
{
    if (ZAVI_Play_InitPlayer(window, &player_) != ZAVI_OK) player_ = 0;
}

WallPlayer::~WallPlayer()
{
    stop_ = true;
    if (feeder_.joinable()) feeder_.join();
    ZAVI_Play_ReleasePlayer(player_); // 0 is accepted
}

QString WallPlayer::open(const QString &path)
{
    if (player_ == 0) return QStringLiteral("the player could not be created");
    if (!QFile::exists(path)) return path + QStringLiteral(": no such file");
    recording_ = isRecordingFile(path);
    if (recording_) {
        path_ = QFile::encodeName(path);
        uint32_t frames = 0;
        const auto name = static_cast<ZAVI_UINTARG>(reinterpret_cast<uintptr_t>(path_.constData()));
        const int32_t status = ZAVI_Play_OpenFile(player_, name, 0, &frames, 0);
        if (status != ZAVI_OK) return path + QStringLiteral(": not a recording the player can open (%1)").arg(status);
        ZAVI_Play_RegPlayStatusMsg(player_, &WallPlayer::onStatus, reinterpret_cast<uintptr_t>(this), 0);
        ZAVI_Play_Play(player_);
        return {};
    }
    packets_ = readStreamFile(path);
    if (packets_.empty()) return path + QStringLiteral(": no stream packets in it");
    feeder_ = std::thread(&WallPlayer::feed, this);
    return {};
}

// Runs on the player's reader thread.
void ZAVI_CALL WallPlayer::onStatus(int32_t status, uint32_t, uintptr_t self, uintptr_t)
{
    if (status == kEndOfRecording) reinterpret_cast<WallPlayer *>(self)->ended_ = true;
}

void WallPlayer::feed()
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const uint32_t first = packetTimeStamp(packets_.front());
    for (const Packet &packet : packets_) {
        if (stop_) return;
        std::this_thread::sleep_until(start + std::chrono::milliseconds(packetTimeStamp(packet) - first));
        ZAVI_Play_InputStream(player_, packet.data(), int32_t(packet.size()), 1, 1);
    }
    fedAll_ = true;
}

bool WallPlayer::finished() const
{
    if (recording_) return ended_;
    uint32_t cached = 0;
    ZAVI_Play_GetVideoFrameCount(player_, &cached);
    return fedAll_ && cached == 0;
}

void WallPlayer::play()
{
    if (recording_) ZAVI_Play_Play(player_);
    else ZAVI_Play_PlayStream(player_, ZAVI_PLAYMODE_PLAYING);
}

void WallPlayer::pause()
{
    if (recording_) ZAVI_Play_Pause(player_);
    else ZAVI_Play_PlayStream(player_, ZAVI_PLAYMODE_PAUSED);
}

void WallPlayer::step()
{
    if (recording_) ZAVI_Play_FrameGO(player_);
    else ZAVI_Play_PlayStream(player_, ZAVI_PLAYMODE_SINGLE_FRAME);
}

void WallPlayer::reverse()
{
    if (recording_) ZAVI_Play_FastPlayBack(player_);
}

void WallPlayer::setVolume(int percent)
{
    ZAVI_Play_SetVolume(player_, kSilent * (100 - percent) / 100);
}

bool WallPlayer::snapshot(const QString &path)
{
    const bool jpeg = path.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive);
    uint8_t *data = nullptr; // the player's memory, valid until its next snapshot
    uint32_t size = 0;
    if (ZAVI_Play_CaptureOnePicture(player_, &data, &size, jpeg ? ZAVI_CAPTURE_JPEG : ZAVI_CAPTURE_BMP) != ZAVI_OK)
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(reinterpret_cast<const char *>(data), size) == qint64(size);
}

void WallPlayer::moveTo(ZAVI_HWND window) { ZAVI_Play_ChangeDisplayWnd(player_, window); }

void WallPlayer::repaint() { ZAVI_Play_RepaintWindow(player_); }
