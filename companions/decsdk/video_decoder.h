// One video decoder handle: a libavcodec context for the codec named by the
// packets (H.264 or H.265, reopened when the stream switches codec), decoding
// into buffers laid out as a picture is handed out (picture_buffers.h), and
// the picture handed out, held until the next one is.
//
// Damage: once a packet is missing (a gap in the packets' sequence numbers),
// refused by the codec, or decoded only with concealment, every picture up to
// the next key frame rests on a damaged reference. Those pictures are decoded
// (the codec keeps its references) but reported as ZAVIDEC_ERR_NO_PICTURE, so
// the player keeps the last clean picture instead of showing smeared ones.
#pragma once

#include "ZAVIDecSDK.h"
#include "av_objects.h"
#include "packet_view.h"
#include "picture_buffers.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zavidec {

class VideoDecoder {
public:
    // Null when libavcodec cannot give the frame and packet objects.
    static std::unique_ptr<VideoDecoder> create();

    // Decodes one packet's access unit. On success fills `picture` with the
    // newest picture (planar 4:2:0, even size); otherwise leaves it alone.
    int32_t decode(const PacketView &packet, ZAVIDEC_PICTURE &picture);

private:
    VideoDecoder(FramePtr latest, FramePtr scratch, FramePtr shown);
    int32_t selectCodec(uint16_t codecId);
    // Hands the payload to the codec; sets `pictureWaiting` when a picture the
    // codec still held had to be taken out first.
    int32_t send(std::span<const uint8_t> payload, bool &pictureWaiting);
    bool receiveLatest();
    // Starts clean at a key frame, damaged at a gap before a dependent frame.
    void followSequence(const PacketView &packet, bool keyFrame);
    int32_t exportPicture(ZAVIDEC_PICTURE &picture);

    PictureBuffers buffers_; // before the context, which decodes into them
    CodecContextPtr context_;
    uint16_t codecId_ = 0;
    bool sequenceKnown_ = false;
    uint16_t lastSequence_ = 0;
    bool damaged_ = false;
    PaddedPacket input_;
    FramePtr latest_;
    FramePtr scratch_;
    FramePtr shown_; // the picture handed out last, when it lies in a decoding buffer
    std::vector<uint8_t> picture_; // Y, Cb, Cr back to back, copied out of the codec's own buffers
};

} // namespace zavidec
