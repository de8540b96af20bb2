// Opening and seeking in a one-hour D1 recording (25 pictures a second, a key
// frame every 2 s, an audio packet per picture), as ratios to reading the
// same file once with plain reads in the same run. ZAVI_BENCH_RECORDING_MINUTES
// makes the recording shorter for quick runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "ZAVIFileSDK.h"
#include "ZAVIPacket.h"

namespace {

constexpr uint32_t kFramesPerSecond = 25;
constexpr uint32_t kFramesPerGop = 50;
constexpr uint32_t kKeyPayload = 24000;
constexpr uint32_t kDependentPayload = 2400;
constexpr uint32_t kAudioPayload = 320;     // 40 ms of G.711 at 8 kHz
constexpr uint32_t kFrameIntervalMs = 1000 / kFramesPerSecond;
constexpr size_t kPlainReadChunk = 1 << 20;

uint32_t RecordingMinutes()
{
    const char *minutes = std::getenv("ZAVI_BENCH_RECORDING_MINUTES");
    return minutes != nullptr && std::atoi(minutes) > 0 ? static_cast<uint32_t>(std::atoi(minutes)) : 60;
}

void Append(ZAVIFILE_HANDLE writer, std::vector<uint8_t> &packet, uint16_t frameType, uint16_t codec,
            uint32_t payload, uint32_t time)
{
    packet.resize(ZAVIPKT_HEADER_SIZE + payload);
    zavipkt_put_header(packet.data(), frameType, codec, payload, time);
    packet[ZAVIPKT_HEADER_SIZE] = static_cast<uint8_t>(time);
    if (ZAVI_Write_Packet(writer, packet.data(), static_cast<int32_t>(packet.size())) != ZAVIFILE_OK) std::abort();
}

// The recording, written once per run and removed at exit.
struct Recording {
    std::string path;
    double plainReadSeconds = 0;

    Recording()
    {
        path = (std::filesystem::temp_directory_path() / "zavifile_bench_hour.zrec").string();
        ZAVIFILE_HANDLE writer = 0;
        if (ZAVI_Write_Create(&writer, path.c_str(), 0) != ZAVIFILE_OK) std::abort();
        std::vector<uint8_t> packet;
        std::vector<uint8_t> payload(kKeyPayload, 0x5A);
        const uint32_t frames = RecordingMinutes() * 60 * kFramesPerSecond;
        for (uint32_t frame = 0; frame < frames; ++frame) {
            const uint32_t time = frame * kFrameIntervalMs;
            Append(writer, packet, ZAVIPKT_FRAME_AUDIO, ZAVIPKT_CODEC_G711A, kAudioPayload, time);
            const bool key = frame % kFramesPerGop == 0;
            Append(writer, packet, key ? ZAVIPKT_FRAME_A_KEY : ZAVIPKT_FRAME_A_P, ZAVIPKT_CODEC_H264,
                   key ? kKeyPayload : kDependentPayload, time);
        }
        if (ZAVI_Write_Close(writer) != ZAVIFILE_OK) std::abort();
        plainReadSeconds = BestPlainRead();
    }
    ~Recording() { std::remove(path.c_str()); }

    double BestPlainRead() const
    {
        double best = PlainRead();
        for (int i = 0; i < 2; ++i) best = std::min(best, PlainRead());
        return best;
    }

    // Seconds to read the whole file once in 1 MiB reads.
    double PlainRead() const
    {
        std::vector<char> chunk(kPlainReadChunk);
        const auto start = std::chrono::steady_clock::now();
        std::ifstream file(path, std::ios::binary);
        while (file.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || file.gcount() > 0) {
            benchmark::DoNotOptimize(chunk.data());
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

const Recording &TheRecording()
{
    static const Recording recording;
    return recording;
}

void ReportRatio(benchmark::State &state, double seconds)
{
    state.counters["x_plain_read"] = seconds / static_cast<double>(state.iterations()) / TheRecording().plainReadSeconds;
}

double Elapsed(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Open(benchmark::State &state, uint32_t flags)
{
    const Recording &recording = TheRecording();
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        ZAVIFILE_HANDLE reader = 0;
        uint32_t frames = 0;
        ZAVI_Read_InitReader(&reader, ZAVIFILE_KIND_RECORDING);
        if (ZAVI_Read_OpenFile(reader, reinterpret_cast<ZAVIFILE_ARG>(recording.path.c_str()), flags, &frames) != 0) {
            state.SkipWithError("open failed");
        }
        ZAVI_Read_ReleaseReader(reader);
        seconds += Elapsed(start);
        benchmark::DoNotOptimize(frames);
    }
    ReportRatio(state, seconds);
}

void BM_PlainRead(benchmark::State &state)
{
    const Recording &recording = TheRecording();
    double seconds = 0;
    for (auto _ : state) seconds += recording.PlainRead();
    ReportRatio(state, seconds);
}

void BM_OpenWithIndex(benchmark::State &state) { Open(state, ZAVIFILE_OPEN_REQUIRE_INDEX); }
void BM_OpenByScan(benchmark::State &state) { Open(state, ZAVIFILE_OPEN_SCAN); }

// A seek to a random place and the reads up to the first picture shown
// there (the decode-only run from its key frame included).
void BM_SeekAndShow(benchmark::State &state)
{
    const Recording &recording = TheRecording();
    ZAVIFILE_HANDLE reader = 0;
    uint32_t frames = 0;
    ZAVI_Read_InitReader(&reader, ZAVIFILE_KIND_RECORDING);
    ZAVI_Read_OpenFile(reader, reinterpret_cast<ZAVIFILE_ARG>(recording.path.c_str()), 0, &frames);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> anywhere(0.0f, 1.0f);
    double seconds = 0;
    for (auto _ : state) {
        const float where = anywhere(random);
        const auto start = std::chrono::steady_clock::now();
        ZAVI_Read_Seek(reader, where);
        const uint8_t *packet = nullptr;
        uint32_t length = 0;
        uint32_t position = 0;
        int32_t status = ZAVIFILE_DECODE_ONLY;
        while (status == ZAVIFILE_DECODE_ONLY || (status == ZAVIFILE_OK && zavipkt_u16(packet + ZAVIPKT_OFF_FRAME_TYPE) == ZAVIPKT_FRAME_AUDIO)) {
            status = ZAVI_Read_GetNextFrame(reader, &packet, &length, &position);
        }
        seconds += Elapsed(start);
    }
    ZAVI_Read_ReleaseReader(reader);
    ReportRatio(state, seconds);
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenWithIndex)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenByScan)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SeekAndShow)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
