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
  int width = 0;
  int height = 0;
  int channels = 3;  // 3: BGR, 1: grey
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
        const double s = v[c] + noise(random);
        p.pixels[(static_cast<size_t>(y) * width + x) * 3 + c] =
            static_cast<uint8_t>(std::clamp(std::lround(s), 0L, 255L));
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

// Our codec: encode a picture (quality, subsampling code, stream channels).
inline int32_t EncodeWithCodec(const Picture& picture, int quality, int subsampling,
                               std::vector<uint8_t>& stream, int jpegChannels = 3) {
  zavi::jpeg::CodecProperties p;
  if (zavi::jpeg::Initialise(p) != 0) return -1;
  stream.assign(static_cast<size_t>(picture.width) * picture.height * 3 + 1024, 0);
  p.imageBuffer = const_cast<uint8_t*>(picture.pixels.data());
  p.imageWidth = picture.width;
  p.imageHeight = picture.height;
  p.imageChannels = picture.channels;
  p.imageColour = picture.channels == 3 ? zavi::jpeg::kColourBgr : zavi::jpeg::kColourGrey;
  p.jpegBuffer = stream.data();
  p.jpegSize = static_cast<int32_t>(stream.size());
  p.jpegWidth = picture.width;
  p.jpegHeight = picture.height;
  p.jpegChannels = jpegChannels;
  p.jpegSubsampling = subsampling;
  p.quality = quality;
  const int32_t status = zavi::jpeg::Write(p, zavi::jpeg::kWriteWholeImage);
  stream.resize(status == 0 ? static_cast<size_t>(p.jpegSize) : 0);
  zavi::jpeg::Release(p);
  return status;
}

// Our codec, as the image viewer calls it: parameters, then the whole image.
inline int32_t DecodeWithCodec(const std::vector<uint8_t>& stream, Picture& out, int channels = 3) {
  zavi::jpeg::CodecProperties p;
  if (zavi::jpeg::Initialise(p) != 0) return -1;
  p.jpegBuffer = const_cast<uint8_t*>(stream.data());
  p.jpegSize = static_cast<int32_t>(stream.size());
  int32_t status = zavi::jpeg::Read(p, zavi::jpeg::kReadParameters);
  if (status == 0) {
    out = Picture{p.jpegWidth, p.jpegHeight, channels,
                  std::vector<uint8_t>(static_cast<size_t>(p.jpegWidth) * p.jpegHeight * channels)};
    p.imageBuffer = out.pixels.data();
    p.imageWidth = out.width;
    p.imageHeight = out.height;
    p.imageChannels = channels;
    p.imageColour = channels == 3 ? zavi::jpeg::kColourBgr : zavi::jpeg::kColourGrey;
    p.jpegColour = p.jpegChannels == 1 ? zavi::jpeg::kColourGrey : zavi::jpeg::kColourYCbCr;
    status = zavi::jpeg::Read(p, zavi::jpeg::kReadWholeImage);
  }
  zavi::jpeg::Release(p);
  return status;
}

// libjpeg-turbo: encode a BGR picture (TJSAMP_* subsampling, TJFLAG_* flags).
inline std::vector<uint8_t> TurboEncode(const Picture& picture, int tjSubsampling, int quality,
                                        int flags = 0) {
  tjhandle handle = tjInitCompress();
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<uint8_t> stream;
  if (tjCompress2(handle, picture.pixels.data(), picture.width, 0, picture.height,
                  picture.channels == 3 ? TJPF_BGR : TJPF_GRAY, &buffer, &size, tjSubsampling,
                  quality, flags) == 0) {
    stream.assign(buffer, buffer + size);
  }
  tjFree(buffer);
  tjDestroy(handle);
  return stream;
}

// libjpeg-turbo: decode to BGR (or grey) with its default (accurate) settings.
inline bool TurboDecode(const std::vector<uint8_t>& stream, Picture& out, int channels = 3) {
  tjhandle handle = tjInitDecompress();
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  bool ok = tjDecompressHeader3(handle, stream.data(), static_cast<unsigned long>(stream.size()),
                                &width, &height, &subsampling, &colourspace) == 0;
  if (ok) {
    out = Picture{width, height, channels,
                  std::vector<uint8_t>(static_cast<size_t>(width) * height * channels)};
    ok = tjDecompress2(handle, stream.data(), static_cast<unsigned long>(stream.size()),
                       out.pixels.data(), width, 0, height, channels == 3 ? TJPF_BGR : TJPF_GRAY,
                       0) == 0;
  }
  tjDestroy(handle);
  return ok;
}

}  // namespace jpeg_test
