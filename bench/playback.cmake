# Pacing jitter, audio/video skew and channel capacity of live playback.
zavi_add_bench(playback_bench SOURCES playback_bench.cpp
  LIBS ZAVIPlaySDK zavi_packmaker PkgConfig::AVCODEC)
