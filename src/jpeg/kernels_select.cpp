#include "jpeg/codec_kernels.h"

namespace zavi::jpeg {

const CodecKernels& SelectCodecKernels() {
  static const CodecKernels& selected = []() -> const CodecKernels& {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2") ? Sse2CodecKernels() : ScalarCodecKernels();
  }();
  return selected;
}

}  // namespace zavi::jpeg
