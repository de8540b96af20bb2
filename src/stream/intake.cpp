// The intake: the one way a packet enters a player, from the client
// (ZAVI_Play_InputStream), the file reader thread, and ZAVI_Play_SetRule.
#include <cstring>

#include "player/play_man.h"
#include "stream/packet_fields.h"

namespace zavi {

bool PlayMan::IsVideoOfSelectedFamily(uint16_t frameType) const
{
    return videoType_ != 0 ? IsVideoFamilyA(frameType) : IsVideoFamilyB(frameType);
}

int32_t PlayMan::Intake(const uint8_t *packet, int32_t length, uint8_t timeStampFlag, uint8_t displayFlag)
{
    if (packet == nullptr || length < 1) return ZAVI_ERR_INVALID_ARG;
    // A packet too short for its own header is refused rather than read
    // past its end.
    if (!PacketLongEnough(packet, length)) return ZAVI_ERR_INVALID_ARG;
    kernel::ScopedLock lock(playerLock_);

    // Frames already queued in the other cache play on, untimed, once the
    // stream stops carrying usable time stamps.
    if (timeStampFlag == 0) caches_.MarkAll(0);

    const uint16_t frameType = PacketFrameType(packet);
    int32_t result = ZAVI_OK;
    if (frameType == kFrameTypeAudio) {
        if (displayFlag != 0 && audioSwitch_ != 0) {
            result = caches_.audio.Insert(packet, length, timeStampFlag);
            if (result == ZAVI_OK && playMode_ == ZAVI_PLAYMODE_PLAYING) SetAudioGate(true);
        }
    } else if (IsVideoOfSelectedFamily(frameType)) {
        result = caches_.video.Insert(packet, length, frameType, timeStampFlag, displayFlag);
        if (result == ZAVI_OK && caches_.video.Count() >= preCacheCount_ && playMode_ == ZAVI_PLAYMODE_PLAYING) {
            SetVideoGate(true);
        }
    } else if (frameType == kFrameTypeExtraData) {
        result = IntakeExtraData(packet, length);
    }
    return result;
}

int32_t PlayMan::IntakeExtraData(const uint8_t *packet, int32_t length)
{
    if (IsRuleSubType(PacketSubType(packet))) {
        ZAVIDEC_MVRESULT parsed{};
        if (ZAVI_PickMV(packet, length, &parsed) == ZAVIDEC_OK && parsed.length == kRuleBlockSize &&
            parsed.data != nullptr) {
            // The video thread reads the block while it shows a picture,
            // under the decoder lock (which may be taken after the player's).
            kernel::ScopedLock decoding(decoderLock_);
            std::memcpy(ruleBlock_, parsed.data, kRuleBlockSize);
        }
        return ZAVI_OK;
    }
    if (motionVectorFlag_ == 0 && caches_.CreateMotionVectorCache()) motionVectorFlag_ = 1;
    if (motionVectorFlag_ == 0) return ZAVI_OK; // the next motion packet tries again
    return caches_.motionVector.Insert(packet, length, 0);
}

} // namespace zavi
