// Pattern streams recorded by a build that encodes and replayed by a build
// that cannot (the Windows build's FFmpeg decodes only), so that the same
// tests play the same real streams there. A recording is named after every
// option that shapes its stream, so a replay finds exactly the stream asked
// for; one recorded under other options is never taken for it.
//   ZAVI_STREAM_RECORD=<dir>  encoding builds keep a copy of each stream made
//   ZAVI_STREAM_REPLAY=<dir>  the replaying build reads the streams from there
#pragma once

#include "packet_sink.h"
#include "stream_assembler.h"

#include <functional>

namespace zavi::pack {

// Makes a stream into the sink it is given.
using StreamMaker = std::function<void(const PacketSink &sink)>;

// Emits the stream `options` describe into `sink`. A build that encodes runs
// `make`, and keeps a copy in ZAVI_STREAM_RECORD's directory when that is
// set; the replaying build reads the copy from ZAVI_STREAM_REPLAY's
// directory instead and throws std::runtime_error naming the recording when
// there is none.
void recordOrReplay(const StreamOptions &options, const PacketSink &sink, const StreamMaker &make);

} // namespace zavi::pack
