// libFuzzer target: arbitrary bytes as an image packet into
// ZAVI_Play_InputImage, on the virtual screen. Each input goes to a fresh
// viewer twice (the second time the surfaces of its size are reused). The
// input buffer is exactly as long as the packet, so any read past the given
// length is caught; every result must be 0 or negative.
//
// A custom mutator starts from whole image packets made at start-up (JPEG
// pictures of our encoder, uncompressed pictures of 24 and 32 bits), so the
// fuzzer explores chunks, markers and pictures rather than the first check.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ZAVIPlaySDK.h"
#include "ZAVIVirtualDisplay.h"
#include "jpeg/jpeg_codec.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t maxSize);

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kKindJpeg = 0x80;
constexpr uint8_t kKindBitmap = 0x81;
constexpr uint8_t kMarkerTag = 0x18;
constexpr size_t kFirstChunk = 32;

ZAVI_HWND window = 0;

std::vector<Bytes> &Seeds()
{
    static std::vector<Bytes> seeds;
    return seeds;
}

void PutLe32(Bytes &bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Header bytes 00 00 01 71, first chunk at 32, one chunk holding the picture.
void AddSeed(uint8_t kind, const Bytes &picture)
{
    Bytes packet(kFirstChunk + 4, 0);
    packet[2] = 0x01;
    packet[3] = 0x71;
    packet[6] = static_cast<uint8_t>(kFirstChunk);
    const Bytes marker = {0x00, 0x00, 0x01, kMarkerTag, kind};
    PutLe32(packet, kFirstChunk, static_cast<uint32_t>(marker.size() + picture.size()) << 8);
    packet.insert(packet.end(), marker.begin(), marker.end());
    packet.insert(packet.end(), picture.begin(), picture.end());
    Seeds().push_back(packet);
}

Bytes Pattern(size_t size)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 37 + i / 7);
    return bytes;
}

void AddJpegSeed(int width, int height, int channels, int subsampling)
{
    Bytes picture = Pattern(static_cast<size_t>(width) * height * 3);
    Bytes stream(picture.size() + 1024);
    zavi::jpeg::CodecProperties p{};
    if (zavi::jpeg::Initialise(p) != 0) return;
    p.imageBuffer = picture.data();
    p.imageWidth = width;
    p.imageHeight = height;
    p.jpegBuffer = stream.data();
    p.jpegSize = static_cast<int32_t>(stream.size());
    p.jpegWidth = width;
    p.jpegHeight = height;
    p.jpegChannels = channels;
    p.jpegColour = channels == 1 ? zavi::jpeg::kColourGrey : zavi::jpeg::kColourYCbCr;
    p.jpegSubsampling = subsampling;
    if (zavi::jpeg::Write(p, zavi::jpeg::kWriteWholeImage) == 0) {
        stream.resize(static_cast<size_t>(p.jpegSize));
        AddSeed(kKindJpeg, stream);
    }
    zavi::jpeg::Release(p);
}

void AddBitmapSeed(int width, int height, uint16_t bitCount, uint32_t paletteEntries)
{
    Bytes picture(40 + paletteEntries * 4, 0);
    PutLe32(picture, 0, 40);
    PutLe32(picture, 4, static_cast<uint32_t>(width));
    PutLe32(picture, 8, static_cast<uint32_t>(height));
    picture[14] = static_cast<uint8_t>(bitCount);
    PutLe32(picture, 32, paletteEntries);
    const Bytes pixels = Pattern(static_cast<size_t>(width) * height * (bitCount / 8));
    picture.insert(picture.end(), pixels.begin(), pixels.end());
    AddSeed(kKindBitmap, picture);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    window = ZAVIVirtual_CreateWindow(10, 10, 40, 30, 1);
    AddJpegSeed(16, 16, 3, zavi::jpeg::kSubsampling420);
    AddJpegSeed(13, 7, 3, zavi::jpeg::kSubsampling422);
    AddJpegSeed(8, 8, 1, zavi::jpeg::kSubsampling444);
    AddBitmapSeed(7, 5, 24, 0);
    AddBitmapSeed(6, 4, 32, 2);
    return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t maxSize, unsigned int seed)
{
    const bool looksLikeImagePacket = size >= 4 && data[0] == 0 && data[1] == 0 && data[2] == 1 && data[3] == 0x71;
    if ((!looksLikeImagePacket || seed % 16 == 0) && !Seeds().empty()) {
        const Bytes &start = Seeds()[seed % Seeds().size()];
        if (start.size() <= maxSize) {
            std::memcpy(data, start.data(), start.size());
            size = start.size();
        }
    }
    return LLVMFuzzerMutate(data, size, maxSize);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // libFuzzer hands over a heap copy of exactly `size` bytes.
    ZAVI_HANDLE viewer = 0;
    if (ZAVI_Play_InitImage(window, &viewer) != ZAVI_OK) __builtin_trap();
    for (int pass = 0; pass < 2; ++pass)
        if (ZAVI_Play_InputImage(viewer, data, static_cast<int32_t>(size)) > 0) __builtin_trap();
    ZAVI_Play_ReleaseImage(viewer);
    return 0;
}
