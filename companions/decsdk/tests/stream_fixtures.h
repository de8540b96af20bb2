// Real media for the decoder module's tests: packet streams made at test time
// by zavi_packmaker, and libavcodec's own decode of the same elementary
// stream as the outside reference.
#pragma once

#include "ZAVIDecSDK.h"
#include "ZAVIPacket.h"
#include "pattern_stream.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zavidec::test {

using zavi::pack::Packet;

// A pattern stream with video only.
std::vector<Packet> videoStream(zavi::pack::VideoCodec codec, int width, int height, uint32_t pictures, int keyInterval = 25);

bool isVideo(const Packet &packet);
std::span<const uint8_t> payloadOf(const Packet &packet);
// The video payloads of `packets` back to back: an Annex-B elementary stream.
std::vector<uint8_t> elementaryStream(const std::vector<Packet> &packets);

// Pictures as tightly packed I420, decoded by libavcodec straight from the
// elementary stream (its own parser finds the access units).
std::vector<std::vector<uint8_t>> referenceDecode(bool h265, std::span<const uint8_t> stream);

// The decoded picture's bytes (Y, Cb, Cr).
std::vector<uint8_t> pictureBytes(const ZAVIDEC_PICTURE &picture);

// Opens a video decoder, runs every video packet through it and collects the
// pictures; statuses other than success are collected in `statuses`.
std::vector<std::vector<uint8_t>> moduleDecode(const std::vector<Packet> &packets, std::vector<int32_t> *statuses = nullptr);

} // namespace zavidec::test
