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
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <new>

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

// The module's video decoder over the stream, packet after packet.
class ModuleDecoder {
public:
    ModuleDecoder() : packets_(d1Stream()) { ok_ = ZAVI_VideoDec_Init(&handle_) == ZAVIDEC_OK; }
    ~ModuleDecoder() { ZAVI_VideoDec_Release(handle_); }
    bool ok() const { return ok_; }
    bool decodeNext()
    {
        const auto &packet = packets_[next_];
        next_ = (next_ + 1) % packets_.size();
        const int32_t status = ZAVI_VideoDec_Decode(handle_, packet.data(), static_cast<int32_t>(packet.size()), &picture_);
        benchmark::DoNotOptimize(picture_.buffer);
        return status == ZAVIDEC_OK;
    }

private:
    const std::vector<zavi::pack::Packet> &packets_;
    ZAVIDEC_HANDLE handle_ = 0;
    ZAVIDEC_PICTURE picture_{};
    size_t next_ = 0;
    bool ok_ = false;
};

// libavcodec alone, set up as the module sets it up, on the same access
// units (copied once, with the padding libavcodec wants, before timing).
class BareDecoder {
public:
    BareDecoder()
    {
        for (const auto &packet : d1Stream()) {
            std::vector<uint8_t> unit(packet.begin() + ZAVIPKT_HEADER_SIZE, packet.end());
            unit.resize(unit.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
            units_.push_back(std::move(unit));
        }
        const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_H264);
        context_ = avcodec_alloc_context3(codec);
        context_->thread_count = 1;
        context_->flags |= AV_CODEC_FLAG_LOW_DELAY;
        ok_ = avcodec_open2(context_, codec, nullptr) == 0;
        packet_ = av_packet_alloc();
        frame_ = av_frame_alloc();
    }
    ~BareDecoder()
    {
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        avcodec_free_context(&context_);
    }
    bool ok() const { return ok_; }
    bool decodeNext()
    {
        auto &unit = units_[next_];
        next_ = (next_ + 1) % units_.size();
        packet_->data = unit.data();
        packet_->size = static_cast<int>(unit.size() - AV_INPUT_BUFFER_PADDING_SIZE);
        avcodec_send_packet(context_, packet_);
        return avcodec_receive_frame(context_, frame_) == 0;
    }

private:
    std::vector<std::vector<uint8_t>> units_;
    AVCodecContext *context_ = nullptr;
    AVPacket *packet_ = nullptr;
    AVFrame *frame_ = nullptr;
    size_t next_ = 0;
    bool ok_ = false;
};

// Runs the decoder once over the whole stream, so that buffers have reached
// their size before anything is measured.
template <typename Decoder>
void warmUp(Decoder &decoder)
{
    for (size_t i = 0; i < d1Stream().size(); ++i) decoder.decodeNext();
}

void moduleDecode(benchmark::State &state)
{
    ModuleDecoder decoder;
    if (!decoder.ok()) return state.SkipWithError("video decoder did not open");
    warmUp(decoder);
    const uint64_t allocationsBefore = allocations.load();
    int64_t failures = 0;
    for (auto _ : state) failures += !decoder.decodeNext();
    const uint64_t allocated = allocations.load() - allocationsBefore;
    state.counters["allocs_per_frame"] = static_cast<double>(allocated) / static_cast<double>(state.iterations());
    state.counters["failures"] = static_cast<double>(failures);
}

void bareLibavcodecDecode(benchmark::State &state)
{
    BareDecoder decoder;
    if (!decoder.ok()) return state.SkipWithError("libavcodec did not open");
    warmUp(decoder);
    for (auto _ : state) benchmark::DoNotOptimize(decoder.decodeNext());
}

// Both decoders take turns picture by picture, so that a machine busy with
// other work slows both alike; processor time of each is summed apart.
void interleavedRatio(benchmark::State &state)
{
    ModuleDecoder module;
    BareDecoder bare;
    if (!module.ok() || !bare.ok()) return state.SkipWithError("a decoder did not open");
    warmUp(module);
    warmUp(bare);
    std::clock_t moduleTicks = 0, bareTicks = 0;
    for (auto _ : state) {
        const std::clock_t start = std::clock();
        module.decodeNext();
        const std::clock_t middle = std::clock();
        bare.decodeNext();
        const std::clock_t end = std::clock();
        moduleTicks += middle - start;
        bareTicks += end - middle;
    }
    if (bareTicks > 0) state.counters["module_over_bare"] = static_cast<double>(moduleTicks) / static_cast<double>(bareTicks);
}

BENCHMARK(moduleDecode)->Name("d1_h264/module");
BENCHMARK(bareLibavcodecDecode)->Name("d1_h264/bare_libavcodec");
BENCHMARK(interleavedRatio)->Name("d1_h264/interleaved");

// Prints the module's overhead over bare libavcodec from the interleaved run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            const auto ratio = run.counters.find("module_over_bare");
            if (ratio != run.counters.end()) ratio_ = ratio->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatio() const
    {
        if (ratio_ <= 0) return;
        std::printf("decsdk D1 H.264 decode: module / bare libavcodec = %.3f (overhead %+.1f %%, goal <= +5 %%)\n", ratio_,
                    (ratio_ - 1.0) * 100.0);
    }

private:
    double ratio_ = 0;
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
