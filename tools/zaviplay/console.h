// zaviplay's console: commands from standard input, and the status line
// that updates in place. On a terminal each key is a command (keys that take
// a number gather it until Enter: typed_command.h); from a pipe or a file,
// each line is one.
#pragma once

#include <memory>
#include <string>

namespace zaviplay {

struct CommandQueue;

class CommandReader {
public:
    CommandReader();
    // Gives the terminal its line editing back.
    ~CommandReader();
    CommandReader(const CommandReader &) = delete;
    CommandReader &operator=(const CommandReader &) = delete;

    // The next complete command, if any.
    bool Next(std::string &command);
    // A command still being typed on the terminal ("g 5"), empty when none.
    std::string Typing() const;

private:
    std::shared_ptr<CommandQueue> commands_;
};

// Prints `line` over the previous status line.
void ShowStatus(const std::string &line);

} // namespace zaviplay
