// Cost of one D1 (704x576) 25 fps H.264 picture decoded through the decoder
// module against bare libavcodec on the same access units, single-threaded
// both, and the module's own heap allocations per picture in steady state.
//
// Allocations are counted by replacing the global operator new: that sees
// every allocation of the module's C++ code (the module links against this
// program's operator new). libavcodec allocates through av_malloc (malloc /
// posix_memalign), which this hook does not see; those allocations belong
// to the codec and happen in the bare run just the same.
#include "ZAVIDecSDK.h"
#include "ZAVIPacket.h"
#include "pattern_stream.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

namespace {

std::atomic<uint64_t> allocations{0};

const std::vector<zavi::pack::Packet> &d1Stream()
{
    static const std::vector<zavi::pack::Packet> packets = [] {
        av_log_set_level(AV_LOG_ERROR);
        zavi::pack::StreamOptions options;
        options.video.width = 704;
        options.video.height = 576;
        options.video.fps = 25;
        options.video.bitrate = 2'000'000;
        options.pictures = 100;
        return zavi::pack::makePatternStream(options);
    }();
    return packets;
}

void moduleDecode(benchmark::State &state)
{
    const auto &packets = d1Stream();
    ZAVIDEC_HANDLE handle = 0;
    if (ZAVI_VideoDec_Init(&handle) != ZAVIDEC_OK) {
        state.SkipWithError("video decoder did not open");
        return;
    }
    ZAVIDEC_PICTURE picture{};
    const auto decode = [&](size_t i) {
        return ZAVI_VideoDec_Decode(handle, packets[i].data(), static_cast<int32_t>(packets[i].size()), &picture);
    };
    for (size_t i = 0; i < packets.size(); ++i) decode(i); // warm-up: buffers reach their size
    const uint64_t allocationsBefore = allocations.load();
    size_t next = 0;
    int64_t failures = 0;
    for (auto _ : state) {
        failures += decode(next) != ZAVIDEC_OK;
        benchmark::DoNotOptimize(picture.buffer);
        next = (next + 1) % packets.size();
    }
    const uint64_t allocated = allocations.load() - allocationsBefore;
    state.counters["allocs_per_frame"] = static_cast<double>(allocated) / static_cast<double>(state.iterations());
    state.counters["failures"] = static_cast<double>(failures);
    ZAVI_VideoDec_Release(handle);
}

void bareLibavcodecDecode(benchmark::State &state)
{
    const auto &packets = d1Stream();
    std::vector<std::vector<uint8_t>> units;
    for (const auto &packet : packets) {
        std::vector<uint8_t> unit(packet.begin() + ZAVIPKT_HEADER_SIZE, packet.end());
        unit.resize(unit.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        units.push_back(std::move(unit));
    }
    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    AVCodecContext *context = avcodec_alloc_context3(codec);
    context->thread_count = 1;
    context->flags |= AV_CODEC_FLAG_LOW_DELAY;
    avcodec_open2(context, codec, nullptr);
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    const auto decode = [&](size_t i) {
        packet->data = units[i].data();
        packet->size = static_cast<int>(units[i].size() - AV_INPUT_BUFFER_PADDING_SIZE);
        avcodec_send_packet(context, packet);
        return avcodec_receive_frame(context, frame);
    };
    for (size_t i = 0; i < units.size(); ++i) decode(i);
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(decode(next));
        next = (next + 1) % units.size();
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
}

BENCHMARK(moduleDecode)->Name("d1_h264/module");
BENCHMARK(bareLibavcodecDecode)->Name("d1_h264/bare_libavcodec");

// Prints the module's overhead over bare libavcodec once both have run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) cpuNs_[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatio() const
    {
        const auto module = cpuNs_.find("d1_h264/module");
        const auto bare = cpuNs_.find("d1_h264/bare_libavcodec");
        if (module == cpuNs_.end() || bare == cpuNs_.end() || bare->second <= 0) return;
        const double ratio = module->second / bare->second;
        std::printf("decsdk D1 H.264 decode: module / bare libavcodec = %.3f (overhead %+.1f %%, goal <= +5 %%)\n", ratio,
                    (ratio - 1.0) * 100.0);
    }

private:
    std::map<std::string, double> cpuNs_;
};

} // namespace

// GCC takes the replacement pair for a mismatch of new and free.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void *operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio();
    benchmark::Shutdown();
    return 0;
}
