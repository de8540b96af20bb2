#include "typed_command.h"

#include <cstring>

namespace zaviplay {

namespace {

constexpr char kEscape = '\x1b';
constexpr char kBackspace = '\b';
constexpr char kDelete = '\x7f';
constexpr const char *kNumberKeys = "gvR";
constexpr const char *kNumberCharacters = "0123456789.-";
// An escape sequence's introducer and the range of its final byte.
constexpr char kControlSequence = '[', kFunctionKey = 'O';
constexpr char kFinalFirst = '@', kFinalLast = '~';

bool IsEnter(char key) { return key == '\n' || key == '\r'; }
bool IsOneOf(char key, const char *keys) { return key != '\0' && std::strchr(keys, key) != nullptr; }

} // namespace

bool TypedCommand::Take(char key, std::string &command)
{
    if (SkipEscapeSequence(key)) return false;
    if (!pending_.empty()) return TakeNumberKey(key, command);
    if (IsOneOf(key, kNumberKeys)) {
        pending_ = {key, ' '};
        return false;
    }
    if (IsEnter(key)) return false;
    command.assign(1, key);
    return true;
}

bool TypedCommand::TakeNumberKey(char key, std::string &command)
{
    const size_t keyAndSpace = 2;
    if (IsOneOf(key, kNumberCharacters)) pending_ += key;
    else if (key == kBackspace || key == kDelete) {
        pending_.pop_back();
        if (pending_.size() < keyAndSpace) pending_.clear();
    } else if (IsEnter(key)) {
        // R alone plays backwards at the recorded pace; g and v need their number.
        const bool numbered = pending_.size() > keyAndSpace;
        const bool completed = numbered || pending_[0] == 'R';
        if (completed) command = numbered ? pending_ : pending_.substr(0, 1);
        pending_.clear();
        return completed;
    }
    return false;
}

bool TypedCommand::SkipEscapeSequence(char key)
{
    switch (escape_) {
    case Escape::None:
        if (key != kEscape) return false;
        escape_ = Escape::Started;
        pending_.clear();
        return true;
    case Escape::Started:
        // Escape and another key at once is that key (Alt held down).
        if (key == kControlSequence || key == kFunctionKey) escape_ = Escape::Sequence;
        else if (key != kEscape) escape_ = Escape::None;
        return escape_ != Escape::None;
    case Escape::Sequence:
        if (key >= kFinalFirst && key <= kFinalLast) escape_ = Escape::None;
        return true;
    }
    return false;
}

} // namespace zaviplay
