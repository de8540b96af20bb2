// Decode cost per picture of a packet stream through the decoder module,
// built natively and for Windows, so that one run can set the Windows
// build's figure (under Wine) beside the native one.
//   decode_cost STREAM.zvs [PASSES]
// Prints: "decode_cost: <pictures> pictures <W>x<H>, <ms> ms per picture".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "ZAVIDecSDK.h"
#include "ZAVIPacket.h"

namespace {

constexpr int kDefaultPasses = 3;

bool IsVideo(const uint8_t *packet)
{
    const uint16_t type = zavipkt_u16(packet + ZAVIPKT_OFF_FRAME_TYPE);
    return (type >= ZAVIPKT_FRAME_A_KEY && type <= ZAVIPKT_FRAME_A_B) ||
           (type >= ZAVIPKT_FRAME_B_KEY && type <= ZAVIPKT_FRAME_B_B);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: decode_cost STREAM.zvs [PASSES]\n");
        return 2;
    }
    const int passes = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultPasses;
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::pair<size_t, size_t>> video; // offset, length
    for (size_t at = 0; at < bytes.size() && zavipkt_is_whole(bytes.data() + at, static_cast<uint32_t>(bytes.size() - at));) {
        const size_t length = bytes[at + ZAVIPKT_OFF_HEADER_LEN] + zavipkt_u32(bytes.data() + at + ZAVIPKT_OFF_PAYLOAD_LEN);
        if (IsVideo(bytes.data() + at)) video.emplace_back(at, length);
        at += length;
    }
    if (video.empty()) {
        std::fprintf(stderr, "decode_cost: no video in %s\n", argv[1]);
        return 1;
    }

    long pictures = 0;
    ZAVIDEC_PICTURE picture{};
    const auto start = std::chrono::steady_clock::now();
    for (int pass = 0; pass < passes; ++pass) {
        ZAVIDEC_HANDLE decoder = 0;
        if (ZAVI_VideoDec_Init(&decoder) != ZAVIDEC_OK) return 1;
        for (const auto &[offset, length] : video) {
            if (ZAVI_VideoDec_Decode(decoder, bytes.data() + offset, static_cast<int32_t>(length), &picture) == ZAVIDEC_OK) {
                ++pictures;
            }
        }
        ZAVI_VideoDec_Release(decoder);
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (pictures == 0) return 1;
    std::printf("decode_cost: %ld pictures %ux%u, %.3f ms per picture\n", pictures, picture.width, picture.height,
                ms / static_cast<double>(pictures));
    return 0;
}
