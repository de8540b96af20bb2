# The JPEG decoder over read modes 1 and 3. The codec library itself is
# instrumented too, so libFuzzer sees coverage inside the decoder.
target_compile_options(zavi_jpeg PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
zavi_add_fuzzer(jpeg_decode SOURCES jpeg_decode.cpp LIBS zavi_jpeg)
