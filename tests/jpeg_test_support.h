// Pictures, our codec's calls and libjpeg-turbo (the outside oracle) for the
// JPEG tests and benchmarks.
#pragma once

#include <turbojpeg.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "jpeg/jpeg_codec.h"

namespace jpeg_test {

struct Picture {
  int width = 0, height = 0;
  int channels = 3;  // 3: BGR, 1: grey, 4: CMYK (libjpeg-turbo only)
  std::vector<uint8_t> pixels;
};

// A camera-like scene: smooth shading, hard-edged objects, fine texture and
// sensor noise, so every frequency band and both flat and busy blocks occur.
inline Picture ScenePicture(int width, int height, uint32_t seed = 1) {
  Picture p{width, height, 3, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, 3.0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double sky = 90 + 80.0 * y / std::max(1, height - 1);
      double b = sky + 40, g = sky + 10, r = sky - 20;
      if ((x / 37 + y / 23) % 5 == 0) {  // buildings with sharp edges
        b = 40;
        g = 60 + 30 * ((x / 3) % 2);
        r = 150;
      }
      const double texture = 25 * std::sin(x * 0.31) * std::cos(y * 0.17);
      const double v[3] = {b + texture, g + texture * 0.5, r - texture};
      for (int c = 0; c < 3; ++c) {
        p.pixels[(static_cast<size_t>(y) * width + x) * 3 + c] =
            static_cast<uint8_t>(std::clamp(std::lround(v[c] + noise(random)), 0L, 255L));
      }
    }
  }
  return p;
}

inline double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const double d = static_cast<double>(a[i]) - b[i];
    sum += d * d;
  }
  if (sum == 0) return 99.0;
  return 10.0 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / sum);
}

// One record of our codec, initialised at construction and released at the
// end of its scope, with the stream and image sides set in one call each.
struct Codec {
  zavi::jpeg::CodecProperties p{};
  Codec() { zavi::jpeg::Initialise(p); }
  ~Codec() { zavi::jpeg::Release(p); }
  Codec& Stream(const uint8_t* bytes, size_t size) {
    p.jpegBuffer = const_cast<uint8_t*>(bytes);
    p.jpegSize = static_cast<int32_t>(size);
    return *this;
  }
  Codec& Stream(const std::vector<uint8_t>& stream) { return Stream(stream.data(), stream.size()); }
  Codec& Image(const uint8_t* pixels, int width, int height, int channels = 3) {
    p.imageBuffer = const_cast<uint8_t*>(pixels);
    p.imageWidth = width;
    p.imageHeight = height;
    p.imageChannels = channels;
    p.imageColour = channels == 3 ? zavi::jpeg::kColourBgr : zavi::jpeg::kColourGrey;
    return *this;
  }
  int32_t Read(int32_t mode) { return zavi::jpeg::Read(p, mode); }
  int32_t Write() { return zavi::jpeg::Write(p, zavi::jpeg::kWriteWholeImage); }
};

// Our codec: encode a picture (quality, subsampling code, stream channels).
inline int32_t EncodeWithCodec(const Picture& picture, int quality, int subsampling,
                               std::vector<uint8_t>& stream, int jpegChannels = 3) {
  Codec codec;
  stream.assign(static_cast<size_t>(picture.width) * picture.height * 3 + 1024, 0);
  codec.Stream(stream).Image(picture.pixels.data(), picture.width, picture.height, picture.channels);
  codec.p.jpegChannels = jpegChannels;
  codec.p.jpegSubsampling = subsampling;
  codec.p.quality = quality;
  const int32_t status = codec.Write();
  stream.resize(status == 0 ? static_cast<size_t>(codec.p.jpegSize) : 0);
  return status;
}

// Our codec, as the image viewer calls it: parameters, then the whole image.
inline int32_t DecodeWithCodec(const std::vector<uint8_t>& stream, Picture& out, int channels = 3) {
  Codec codec;
  const int32_t status = codec.Stream(stream).Read(zavi::jpeg::kReadParameters);
  if (status != 0) return status;
  const auto& p = codec.p;
  out = Picture{p.jpegWidth, p.jpegHeight, channels,
                std::vector<uint8_t>(static_cast<size_t>(p.jpegWidth) * p.jpegHeight * channels)};
  return codec.Image(out.pixels.data(), out.width, out.height, channels).Read(zavi::jpeg::kReadWholeImage);
}

inline TJPF TurboFormat(int channels) {
  return channels == 3 ? TJPF_BGR : channels == 1 ? TJPF_GRAY : TJPF_CMYK;
}

// libjpeg-turbo: encode a picture (TJSAMP_* subsampling, TJFLAG_* flags).
inline std::vector<uint8_t> TurboEncode(const Picture& picture, int tjSubsampling, int quality,
                                        int flags = 0) {
  tjhandle handle = tjInitCompress();
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<uint8_t> stream;
  if (tjCompress2(handle, picture.pixels.data(), picture.width, 0, picture.height,
                  TurboFormat(picture.channels), &buffer, &size, tjSubsampling, quality, flags) == 0) {
    stream.assign(buffer, buffer + size);
  }
  tjFree(buffer);
  tjDestroy(handle);
  return stream;
}

// libjpeg-turbo's reading of a stream: its header, and whether the picture
// decoded without an error or a warning (a missing end, stray bytes).
struct TurboRead {
  int width = 0, height = 0, subsampling = -1, colourspace = -1;
  bool ok = false;
  bool operator==(const TurboRead&) const = default;
};

// libjpeg-turbo: decode to BGR (or grey) with its default (accurate) settings.
inline TurboRead TurboDecode(const std::vector<uint8_t>& stream, Picture& out, int channels = 3) {
  TurboRead r;
  tjhandle handle = tjInitDecompress();
  const auto size = static_cast<unsigned long>(stream.size());
  if (tjDecompressHeader3(handle, stream.data(), size, &r.width, &r.height, &r.subsampling,
                          &r.colourspace) == 0) {
    out = Picture{r.width, r.height, channels,
                  std::vector<uint8_t>(static_cast<size_t>(r.width) * r.height * channels)};
    r.ok = tjDecompress2(handle, stream.data(), size, out.pixels.data(), r.width, 0, r.height,
                         TurboFormat(channels), 0) == 0;
  }
  tjDestroy(handle);
  return r;
}

}  // namespace jpeg_test
