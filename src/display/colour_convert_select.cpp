#include "display/colour_convert_kernels.h"

namespace zavi::display {

namespace {

int NoVectorColumns(const RowPair&, int from) { return from; }

ColourKernels SelectOnce() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return Avx2ColourKernels();
  if (__builtin_cpu_supports("sse2")) return Sse2ColourKernels();
  return ScalarColourKernels();
}

}  // namespace

// The scalar set converts nothing in vector form: ConvertTail does every column.
ColourKernels ScalarColourKernels() { return {NoVectorColumns, NoVectorColumns}; }

const ColourKernels& SelectedColourKernels() {
  static const ColourKernels selected = SelectOnce();
  return selected;
}

}  // namespace zavi::display
