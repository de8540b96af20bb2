# CPU of a hidden channel against a shown one, with the hidden-decode policy.
zavi_add_bench(hidden_decode_bench SOURCES hidden_decode_bench.cpp
  LIBS ZAVIPlaySDK zavi_packmaker)
