# Processor time per D1 picture of the display's copy step (YV12 copy and
# YUY2 packing, cached and streaming stores) against plain memcpy, with the
# allocations per picture (must be 0).
zavi_add_bench(display_copy_bench SOURCES display_copy_bench.cpp allocation_count.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core>)
