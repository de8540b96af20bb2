// The Windows build's FFmpeg only decodes, so no sample can be encoded here:
// streams come from the native zavipack.
#include "sample_stream.h"

#include <stdexcept>

namespace zaviplay {

std::vector<zavi::pack::Packet> MakeSampleStream(const Options &)
{
    throw std::runtime_error("give a stream file made by zavipack --pattern --rules --motion --audio g711a -o FILE");
}

} // namespace zaviplay
