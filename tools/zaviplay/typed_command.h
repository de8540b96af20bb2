// Console commands typed key by key (standard input in key mode): a key is
// a whole command, except the keys that take a number (g, v, R), which
// gather the number typed after them until Enter. Escape or backspacing
// past the key drops a number being typed; the terminal's escape sequences
// (arrow and function keys) are no commands.
#pragma once

#include <string>

namespace zaviplay {

class TypedCommand {
public:
    // Takes one key; true when it completed a command, left in `command`
    // ("p", "g 50", "R" for R and Enter alone).
    bool Take(char key, std::string &command);
    // The command being typed, empty when none.
    const std::string &Pending() const { return pending_; }

private:
    bool TakeNumberKey(char key, std::string &command);
    bool SkipEscapeSequence(char key);

    std::string pending_;
    enum class Escape { None, Started, Sequence } escape_ = Escape::None;
};

} // namespace zaviplay
