# Reverse play and exact frame-back on a camera-like D1 recording.
zavi_add_bench(reverse_play_bench SOURCES reverse_play_bench.cpp
  LIBS ZAVIPlaySDK ZAVIFileSDK zavi_packmaker)
