#include "jpeg/codec_kernels.h"

namespace zavi::jpeg {

const CodecKernels& SelectCodecKernels() {
  static const CodecKernels& selected = []() -> const CodecKernels& {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return Avx2CodecKernels();
    return __builtin_cpu_supports("sse2") ? Sse2CodecKernels() : ScalarCodecKernels();
  }();
  return selected;
}

}  // namespace zavi::jpeg
