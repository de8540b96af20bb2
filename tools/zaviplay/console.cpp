#include "console.h"

#include <cstdio>
#include <iostream>
#include <mutex>
#include <queue>
#include <thread>

#include "keyboard.h"
#include "typed_command.h"

namespace zaviplay {

struct CommandQueue {
    std::mutex mutex;
    std::queue<std::string> queue;
    std::string typing;

    void Push(const std::string &command)
    {
        std::lock_guard<std::mutex> lock(mutex);
        queue.push(command);
    }
};

namespace {

void ReadKeys(CommandQueue &commands)
{
    TypedCommand typed;
    for (int key; (key = ReadKey()) != kNoMoreKeys;) {
        std::string command;
        const bool complete = typed.Take(static_cast<char>(key), command);
        std::lock_guard<std::mutex> lock(commands.mutex);
        if (complete) commands.queue.push(command);
        commands.typing = typed.Pending();
    }
}

void ReadLines(CommandQueue &commands)
{
    for (std::string line; std::getline(std::cin, line);) commands.Push(line);
}

} // namespace

// The reader thread blocks on standard input for the life of the program, so
// it is detached and shares the queue, which outlives whichever side ends last.
CommandReader::CommandReader() : commands_(std::make_shared<CommandQueue>())
{
    const bool keys = EnterKeyMode();
    std::thread([commands = commands_, keys] { keys ? ReadKeys(*commands) : ReadLines(*commands); }).detach();
}

CommandReader::~CommandReader() { RestoreTerminal(); }

bool CommandReader::Next(std::string &command)
{
    std::lock_guard<std::mutex> lock(commands_->mutex);
    if (commands_->queue.empty()) return false;
    command = commands_->queue.front();
    commands_->queue.pop();
    return true;
}

std::string CommandReader::Typing() const
{
    std::lock_guard<std::mutex> lock(commands_->mutex);
    return commands_->typing;
}

void ShowStatus(const std::string &line)
{
    std::printf("\r%-100s", line.c_str());
    std::fflush(stdout);
}

} // namespace zaviplay
