#include "commands.h"

#include "extensions.h"

#include <cstdio>
#include <cstdlib>

namespace zaviplay {

namespace {

constexpr double kSpeedStep = 2.0;
constexpr int kFastestLevel = 4;
constexpr float kPercent = 100.0f;
constexpr int kReverseStop = 0;
constexpr int kNormalReverse = 1;

// "R" plays backwards at 1x, "R N" at N x (1, 2 or 4; 0 stops).
bool IsReverse(const std::string &command) { return command == "R" || command.rfind("R ", 0) == 0; }
int ReverseSpeedOf(const std::string &command)
{
    return command == "R" ? kNormalReverse : std::atoi(command.c_str() + 2);
}

// Commands that mean the same on both kinds of channel.
void ApplyCommon(const std::string &command, Channel &channel, const PlayState &state)
{
    if (command == "+" || command == "-") channel.SetSpeed(state.speed);
    else if (command.rfind("v ", 0) == 0) ZAVI_Play_SetVolume(channel.Player(), std::atoi(command.c_str() + 2));
}

void ApplyLive(const std::string &command, ZAVI_HANDLE player)
{
    if (command == "p") ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_PAUSED);
    else if (command == "r") ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_PLAYING);
    else if (command == "s" || command == "f") ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_SINGLE_FRAME);
}

void ApplyRecording(const std::string &command, ZAVI_HANDLE player, const PlayState &state)
{
    if (command == "p") ZAVI_Play_Pause(player);
    else if (command == "r") ZAVI_Play_Resume(player);
    else if (command == "f" || command == "s") ZAVI_Play_FrameGO(player);
    else if (command == "b") ZAVI_Play_FrameBack(player);
    else if (command == "B") FrameBackExact(player);
    else if (IsReverse(command)) ReversePlay(player, static_cast<uint32_t>(state.reverseSpeed));
    else if (command == "n") ZAVI_Play_Play(player);
    else if (command == ">") ZAVI_Play_FastPlay(player, state.fastLevel);
    else if (command == "<") ZAVI_Play_FastPlayBack(player);
    else if (command == "l") ZAVI_Play_SetPlayLoop(player, state.loop ? 1 : 0);
    else if (command.rfind("g ", 0) == 0) ZAVI_Play_Seek(player, static_cast<float>(std::atof(command.c_str() + 2)) / kPercent);
}

// The state a command leads to; the channels are then steered to it.
void Update(const std::string &command, PlayState &state)
{
    if (command == "+") state.speed *= kSpeedStep;
    else if (command == "-") state.speed /= kSpeedStep;
    else if (command == "p" || command == "f" || command == "s" || command == "b" || command == "B") {
        state.paused = true;
        state.reverseSpeed = kReverseStop;
    } else if (command == "r") {
        state.paused = false;
        state.reverseSpeed = kReverseStop;
    } else if (IsReverse(command)) {
        // Reverse play ends paused, on the picture where it stopped.
        state.reverseSpeed = ReverseSpeedOf(command);
        state.paused = true;
    }
    else if (command == "n") state = PlayState{state.speed, false, state.loop, 1, false, false, kReverseStop};
    // Past the fastest level, ">" comes back to level 1, normal play.
    else if (command == ">") state = PlayState{state.speed, false, state.loop, state.fastLevel % kFastestLevel + 1, false, false, kReverseStop};
    else if (command == "<") state = PlayState{state.speed, false, state.loop, 1, true, false, kReverseStop};
    else if (command == "l") state.loop = !state.loop;
    else if (command == "q") state.quit = true;
}

} // namespace

void Apply(const std::string &command, std::vector<std::unique_ptr<Channel>> &channels, PlayState &state)
{
    Update(command, state);
    for (auto &channel : channels) {
        ApplyCommon(command, *channel, state);
        if (channel->IsRecording()) ApplyRecording(command, channel->Player(), state);
        else ApplyLive(command, channel->Player());
    }
}

const char *CommandHelp()
{
    return "  While playing, press a key (on a terminal; from a pipe, one command a line):\n"
           "    p pause, r resume, f one frame forward (s the same), + faster, - slower,\n"
           "    v N volume (0 loudest .. -10000 silent), q quit;\n"
           "  on recordings also:\n"
           "    b one frame back, > fast forward (each > one level faster: 2, 3, 4 = key\n"
           "    frames only, then normal again), < fast backward, n normal play,\n"
           "    g N go to N percent of the recording, l loop on/off;\n"
           "    B exactly the frame before (also mid-group), R reverse play showing every\n"
           "    frame (R 2, R 4: twice, four times as fast; R 0 stops) - Linux build only.\n"
           "  v, g and R take the number typed after them and Enter (R and Enter alone:\n"
           "  reverse at x1); Escape drops it.\n";
}

std::string Describe(const PlayState &state)
{
    char text[64];
    if (state.reverseSpeed != kReverseStop) std::snprintf(text, sizeof text, "reverse x%d", state.reverseSpeed);
    else if (state.paused) std::snprintf(text, sizeof text, "paused");
    else if (state.backward) std::snprintf(text, sizeof text, "fast backward");
    else if (state.fastLevel > 1) std::snprintf(text, sizeof text, "fast %d", state.fastLevel);
    else std::snprintf(text, sizeof text, "playing x%.2f", state.speed);
    return std::string(text) + (state.loop ? ", loop" : "");
}

} // namespace zaviplay
