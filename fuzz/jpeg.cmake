# The JPEG decoder over read modes 1 and 3.
zavi_add_fuzzer(jpeg_decode SOURCES jpeg_decode.cpp LIBS zavi_jpeg)
