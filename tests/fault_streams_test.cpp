// Streams with faults pushed through the exports, each checked frame by frame
// in single-frame mode (every picture shown is the clean picture of its
// frame; from a damage to the next key frame the window keeps the last clean
// picture) and on the player's threads (play goes on to the last picture).
#include "playback_fixture.h"

namespace {

using namespace zavi_test;
using zavi::pack::Packet;
using zavi::pack::VideoCodec;

constexpr int kWidth = 352;
constexpr int kHeight = 288;
constexpr int kTolerance = 8; // colour conversion rounding, BGR levels
constexpr uint32_t kHour = 3'600'000;

struct Segment {
    int width;
    int height;
    VideoCodec codec;
};

enum class Damage { None, Drop, CutPacket, CutPayload, Garbage, StampsFrom, SwapStamps, PauseAndStampsFrom };

struct Fault {
    const char *name;
    std::vector<Segment> segments; // 20 pictures each, stamps running on
    Damage damage;
    size_t at;              // video packet the damage hits
    int64_t stampShift = 0; // StampsFrom, PauseAndStampsFrom: added from `at` on
};

// One packet as fed: its bytes, its clean picture (-1: none) and whether the
// player must show that picture when it plays the packet.
struct Fed {
    Packet bytes;
    int clean;
    bool mustShow;
};

std::vector<Packet> SourceStream(const std::vector<Segment> &segments)
{
    std::vector<Packet> stream;
    for (const auto &segment : segments) {
        const uint32_t first = stream.empty() ? 0 : TimeStampOf(stream.back()) + 40;
        for (auto &packet : PatternStream(20, segment.width, segment.height, false, false, first, segment.codec))
            stream.push_back(std::move(packet));
    }
    return stream;
}

bool IsKey(const Packet &packet) { return FrameTypeOf(packet) == ZAVIPKT_FRAME_A_KEY; }

void SetStamp(Packet &packet, uint32_t stamp) { zavipkt_put32(packet.data() + ZAVIPKT_OFF_TIME_STAMP, stamp); }

std::vector<Fed> Damaged(const std::vector<Packet> &source, const Fault &fault)
{
    std::vector<Fed> fed;
    for (size_t i = 0; i < source.size(); ++i) fed.push_back({source[i], static_cast<int>(i), true});
    const size_t at = fault.at;
    const bool losesReference = fault.damage == Damage::Drop || fault.damage == Damage::CutPacket ||
                                fault.damage == Damage::CutPayload;
    for (size_t i = at; losesReference && i < fed.size() && (i == at || !IsKey(fed[i].bytes)); ++i)
        fed[i].mustShow = false;
    Packet &hit = fed[at].bytes;
    const uint32_t payload = zavipkt_u32(hit.data() + ZAVIPKT_OFF_PAYLOAD_LEN);
    switch (fault.damage) {
    case Damage::Drop: fed.erase(fed.begin() + static_cast<ptrdiff_t>(at)); break;
    case Damage::CutPacket: hit.resize(hit.size() - payload / 2); break;
    case Damage::CutPayload:
        hit.resize(hit.size() - payload / 2);
        zavipkt_put32(hit.data() + ZAVIPKT_OFF_PAYLOAD_LEN, payload - payload / 2);
        break;
    case Damage::Garbage: {
        Packet garbage(600);
        for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 151 + 7);
        zavipkt_put16(garbage.data() + ZAVIPKT_OFF_FRAME_TYPE, ZAVIPKT_FRAME_A_P); // reaches the decoder
        SetStamp(garbage, TimeStampOf(hit));
        fed.insert(fed.begin() + static_cast<ptrdiff_t>(at), Fed{garbage, -1, false});
        break;
    }
    case Damage::SwapStamps: {
        const uint32_t first = TimeStampOf(hit);
        SetStamp(hit, TimeStampOf(fed[at + 1].bytes));
        SetStamp(fed[at + 1].bytes, first);
        break;
    }
    case Damage::StampsFrom:
    case Damage::PauseAndStampsFrom:
        for (size_t i = at; i < fed.size(); ++i)
            SetStamp(fed[i].bytes, static_cast<uint32_t>(TimeStampOf(fed[i].bytes) + fault.stampShift));
        break;
    case Damage::None: break;
    }
    return fed;
}

class FaultStreams : public ::testing::TestWithParam<Fault> {
protected:
    void SetUp() override
    {
        const std::vector<Packet> source = SourceStream(GetParam().segments);
        clean_ = DecodeEach(source); // the undamaged pictures
        fed_ = Damaged(source, GetParam());
        ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &player_), ZAVI_OK);
    }
    void TearDown() override { EXPECT_EQ(ZAVI_Play_ReleasePlayer(player_), ZAVI_OK); }

    void Feed(size_t from, size_t to)
    {
        for (size_t i = from; i < to; ++i) EXPECT_EQ(Input(player_, fed_[i].bytes), ZAVI_OK) << "packet " << i;
    }
    bool Played(size_t upTo)
    {
        return Get(ZAVI_Play_GetVideoFrameCount, player_) == 0 &&
               Get(ZAVI_Play_GetPlayTimeStamp, player_) == TimeStampOf(fed_[upTo - 1].bytes);
    }
    bool ShowsClean(const Fed &fed) const
    {
        const DecodedPicture &picture = clean_[static_cast<size_t>(fed.clean)];
        return picture.width != kWidth || picture.height != kHeight ||
               WorstDifference(window_.Pixels().data(), picture.i420, kWidth, kHeight, 3) <= kTolerance;
    }

    VirtualWindow window_{kWidth, kHeight};
    ZAVI_HANDLE player_ = 0;
    std::vector<DecodedPicture> clean_;
    std::vector<Fed> fed_;
};

TEST_P(FaultStreams, ShowsOnlyCleanPicturesFrameByFrame)
{
    ASSERT_EQ(ZAVI_Play_PlayStream(player_, ZAVI_PLAYMODE_PAUSED), ZAVI_OK);
    Feed(0, fed_.size());
    EXPECT_EQ(ZAVI_Play_PlayStream(player_, 3), ZAVI_ERR_INVALID_ARG); // and changes nothing
    auto before = window_.Pixels();
    for (size_t i = 0; i < fed_.size(); ++i) {
        ASSERT_EQ(ZAVI_Play_PlayStream(player_, ZAVI_PLAYMODE_SINGLE_FRAME), ZAVI_OK);
        const auto shown = window_.Pixels();
        if (fed_[i].mustShow)
            EXPECT_TRUE(ShowsClean(fed_[i])) << "packet " << i << " not shown clean";
        else
            EXPECT_EQ(shown, before) << "packet " << i << " changed the window before the next key frame";
        before = shown;
    }
    EXPECT_EQ(Get(ZAVI_Play_GetVideoFrameCount, player_), 0u);
}

TEST_P(FaultStreams, PlaysOnToTheLastPictureOnItsThreads)
{
    ASSERT_EQ(ZAVI_Play_SetPlaySpeed(player_, 4.0f, 40.0f, 1), ZAVI_OK);
    const bool pause = GetParam().damage == Damage::PauseAndStampsFrom;
    const size_t split = pause ? GetParam().at : fed_.size();
    // Pause and play have no reader to steer on a live stream, yet set the
    // mode: the frames wait for play.
    EXPECT_EQ(ZAVI_Play_Pause(player_), ZAVI_ERR_NO_READER);
    Feed(0, split);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(Get(ZAVI_Play_GetVideoFrameCount, player_), split);
    EXPECT_EQ(ZAVI_Play_Play(player_), ZAVI_ERR_NO_READER);
    if (pause) {
        // The camera goes quiet: the player shows what it has and parks.
        ASSERT_TRUE(Eventually([&] { return Played(split); }));
        std::this_thread::sleep_for(300ms);
        Feed(split, fed_.size());
    }
    ASSERT_TRUE(Eventually([&] { return Played(fed_.size()) && ShowsClean(fed_.back()); }));
}

const Segment kCif{kWidth, kHeight, VideoCodec::H264};
const Segment kHevcCif{kWidth, kHeight, VideoCodec::H265};
const Segment kQcif{kWidth / 2, kHeight / 2, VideoCodec::H264};

INSTANTIATE_TEST_SUITE_P(
    Rows, FaultStreams,
    ::testing::Values(Fault{"LostPFrame", {kCif, kCif}, Damage::Drop, 13},
                      Fault{"LostKeyFrame", {kCif, kCif}, Damage::Drop, 10},
                      Fault{"CutPacket", {kCif, kCif}, Damage::CutPacket, 13},
                      Fault{"CutPayload", {kCif, kCif}, Damage::CutPayload, 13},
                      Fault{"GarbageBetweenPackets", {kCif, kCif}, Damage::Garbage, 13},
                      Fault{"ClockResetsToZero", {kCif, kCif}, Damage::StampsFrom, 15, -15 * 40},
                      Fault{"ClockJumpsHours", {kCif, kCif}, Damage::StampsFrom, 15, 5 * kHour},
                      Fault{"StampsOutOfOrder", {kCif, kCif}, Damage::SwapStamps, 15},
                      Fault{"ResolutionChange", {kCif, kQcif, kCif}, Damage::None, 0},
                      Fault{"CodecChange", {kCif, kHevcCif, kCif}, Damage::None, 0},
                      Fault{"StopsThirtySeconds", {kCif, kCif}, Damage::PauseAndStampsFrom, 20, 30'000}),
    [](const ::testing::TestParamInfo<Fault> &info) { return std::string(info.param.name); });

} // namespace
