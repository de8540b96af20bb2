// D1 (704 x 576) JPEG encode and decode at quality 75, 4:2:0, and YUV 4:2:0 to
// BGR24, each timed beside the reference library doing the same work in the
// same run; the ratios (ours / reference) are printed at the end.
#include <benchmark/benchmark.h>
#include <libyuv.h>
#include <turbojpeg.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "display/colour_convert.h"
#include "jpeg/jpeg_codec.h"
#include "jpeg_test_support.h"

namespace {

namespace jpeg = zavi::jpeg;

constexpr int kWidth = 704;
constexpr int kHeight = 576;
constexpr int kQuality = 75;

const jpeg_test::Picture& Scene() {
  static const jpeg_test::Picture picture = jpeg_test::ScenePicture(kWidth, kHeight, 42);
  return picture;
}

const std::vector<uint8_t>& SceneStream() {
  static const std::vector<uint8_t> stream = jpeg_test::TurboEncode(Scene(), TJSAMP_420, kQuality);
  return stream;
}

// The snapshot's calls: initialise, write mode 9, release, per picture.
void EncodeOurs(benchmark::State& state) {
  std::vector<uint8_t> out(kWidth * kHeight * 3 + 64);
  for (auto _ : state) {
    jpeg::CodecProperties p;
    jpeg::Initialise(p);
    p.imageBuffer = const_cast<uint8_t*>(Scene().pixels.data());
    p.imageWidth = kWidth;
    p.imageHeight = kHeight;
    p.jpegBuffer = out.data();
    p.jpegSize = static_cast<int32_t>(out.size());
    p.jpegWidth = kWidth;
    p.jpegHeight = kHeight;
    if (jpeg::Write(p, jpeg::kWriteWholeImage) != 0) state.SkipWithError("encode failed");
    benchmark::DoNotOptimize(p.jpegSize);
    jpeg::Release(p);
  }
}

void EncodeTurbo(benchmark::State& state) {
  tjhandle handle = tjInitCompress();
  unsigned long capacity = tjBufSize(kWidth, kHeight, TJSAMP_420);
  unsigned char* out = tjAlloc(static_cast<int>(capacity));
  for (auto _ : state) {
    unsigned long size = capacity;
    if (tjCompress2(handle, Scene().pixels.data(), kWidth, 0, kHeight, TJPF_BGR, &out, &size,
                    TJSAMP_420, kQuality, TJFLAG_NOREALLOC) != 0) {
      state.SkipWithError("encode failed");
    }
    benchmark::DoNotOptimize(size);
  }
  tjFree(out);
  tjDestroy(handle);
}

// The image viewer's calls: initialise, read mode 1, read mode 3, release.
void DecodeOurs(benchmark::State& state) {
  std::vector<uint8_t> image(kWidth * kHeight * 3);
  const std::vector<uint8_t>& stream = SceneStream();
  for (auto _ : state) {
    jpeg::CodecProperties p;
    jpeg::Initialise(p);
    p.jpegBuffer = const_cast<uint8_t*>(stream.data());
    p.jpegSize = static_cast<int32_t>(stream.size());
    jpeg::Read(p, jpeg::kReadParameters);
    p.imageBuffer = image.data();
    p.imageWidth = p.jpegWidth;
    p.imageHeight = p.jpegHeight;
    if (jpeg::Read(p, jpeg::kReadWholeImage) != 0) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(image.data());
    jpeg::Release(p);
  }
}

void DecodeTurbo(benchmark::State& state) {
  std::vector<uint8_t> image(kWidth * kHeight * 3);
  const std::vector<uint8_t>& stream = SceneStream();
  tjhandle handle = tjInitDecompress();
  for (auto _ : state) {
    if (tjDecompress2(handle, stream.data(), stream.size(), image.data(), kWidth, 0, kHeight,
                      TJPF_BGR, 0) != 0) {
      state.SkipWithError("decode failed");
    }
    benchmark::DoNotOptimize(image.data());
  }
  tjDestroy(handle);
}

struct Planes {
  std::vector<uint8_t> y, u, v;
  Planes() : y(kWidth * kHeight), u(kWidth * kHeight / 4), v(kWidth * kHeight / 4) {
    for (size_t i = 0; i < y.size(); ++i) y[i] = static_cast<uint8_t>(i * 7 + i / kWidth);
    for (size_t i = 0; i < u.size(); ++i) {
      u[i] = static_cast<uint8_t>(i * 3);
      v[i] = static_cast<uint8_t>(255 - i * 5);
    }
  }
};

void YuvToBgrOurs(benchmark::State& state) {
  const Planes planes;
  std::vector<uint8_t> out(kWidth * kHeight * 3);
  for (auto _ : state) {
    zavi::display::ConvertYUV420(out.data(), kWidth * 3, planes.y.data(), planes.u.data(),
                                 planes.v.data(), kWidth, kWidth / 2, kWidth, kHeight, 0);
    benchmark::DoNotOptimize(out.data());
  }
}

// libyuv's RGB24 is blue, green, red in memory: the same layout as ours.
void YuvToBgrLibyuv(benchmark::State& state) {
  const Planes planes;
  std::vector<uint8_t> out(kWidth * kHeight * 3);
  for (auto _ : state) {
    libyuv::I420ToRGB24(planes.y.data(), kWidth, planes.u.data(), kWidth / 2, planes.v.data(),
                        kWidth / 2, out.data(), kWidth * 3, kWidth, kHeight);
    benchmark::DoNotOptimize(out.data());
  }
}

BENCHMARK(EncodeOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(EncodeTurbo)->Unit(benchmark::kMicrosecond);
BENCHMARK(DecodeOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(DecodeTurbo)->Unit(benchmark::kMicrosecond);
BENCHMARK(YuvToBgrOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(YuvToBgrLibyuv)->Unit(benchmark::kMicrosecond);

// Console output as usual, and the CPU times kept for the ratios (CPU time,
// not wall time, so other work on a shared machine does not skew them).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    const struct {
      const char *ours, *reference, *label;
      double goal;
    } pairs[] = {{"EncodeOurs", "EncodeTurbo", "D1 encode q75 4:2:0 vs libjpeg-turbo", 2.0},
                 {"DecodeOurs", "DecodeTurbo", "D1 decode q75 4:2:0 vs libjpeg-turbo", 2.0},
                 {"YuvToBgrOurs", "YuvToBgrLibyuv", "D1 I420 to BGR24 vs libyuv", 1.0}};
    for (const auto& pair : pairs) {
      const auto ours = times_.find(pair.ours);
      const auto reference = times_.find(pair.reference);
      if (ours == times_.end() || reference == times_.end() || reference->second <= 0) continue;
      std::printf("ratio %-40s %.2f (goal <= %.1f)\n", pair.label, ours->second / reference->second, pair.goal);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
