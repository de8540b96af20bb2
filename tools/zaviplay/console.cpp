#include "console.h"

#include <cstdio>
#include <iostream>
#include <mutex>
#include <queue>
#include <thread>

namespace zaviplay {

struct CommandReader::Lines {
    std::mutex mutex;
    std::queue<std::string> queue;
};

// The reader thread blocks on standard input for the life of the program, so
// it is detached and shares the queue, which outlives whichever side ends last.
CommandReader::CommandReader() : lines_(std::make_shared<Lines>())
{
    std::thread([lines = lines_] {
        std::string line;
        while (std::getline(std::cin, line)) {
            std::lock_guard<std::mutex> lock(lines->mutex);
            lines->queue.push(line);
        }
    }).detach();
}

bool CommandReader::Next(std::string &command)
{
    std::lock_guard<std::mutex> lock(lines_->mutex);
    if (lines_->queue.empty()) return false;
    command = lines_->queue.front();
    lines_->queue.pop();
    return true;
}

void ShowStatus(const std::string &line)
{
    std::printf("\r%-100s", line.c_str());
    std::fflush(stdout);
}

} // namespace zaviplay
