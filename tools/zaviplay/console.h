// zaviplay's console: commands typed on standard input, and the status line
// that updates in place.
#pragma once

#include <memory>
#include <string>

namespace zaviplay {

class CommandReader {
public:
    CommandReader();
    // The next complete line typed, if any.
    bool Next(std::string &command);

private:
    struct Lines;
    std::shared_ptr<Lines> lines_;
};

// Prints `line` over the previous status line.
void ShowStatus(const std::string &line);

} // namespace zaviplay
