#include "media_streams.h"

namespace zavi::pack {

std::string describeStream(const AVStream &stream)
{
    const char *type = av_get_media_type_string(stream.codecpar->codec_type);
    return "stream " + std::to_string(stream.index) + " (" + (type != nullptr ? type : "unknown") + ", " +
           avcodec_get_name(stream.codecpar->codec_id) + ")";
}

std::vector<std::string> streamsLeftOut(const AVFormatContext &input, int videoIndex, int audioIndex, bool soundWanted,
                                        bool soundDecodable)
{
    std::vector<std::string> leftOut;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        const int index = static_cast<int>(i);
        const AVStream &stream = *input.streams[i];
        if (index == videoIndex) continue;
        if (index == audioIndex && !soundWanted)
            leftOut.push_back(describeStream(stream) + ": not packed, no audio coding chosen (--audio g711a, g711u or pcm16)");
        else if (index == audioIndex && !soundDecodable)
            leftOut.push_back(describeStream(stream) + ": this FFmpeg cannot decode it, the stream has no sound");
        else if (index != audioIndex)
            leftOut.push_back(describeStream(stream) + ": not packed, a stream holds one video and one sound");
    }
    return leftOut;
}

} // namespace zavi::pack
