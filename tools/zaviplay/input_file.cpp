#include "input_file.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace zaviplay {

namespace {

constexpr std::array<char, 4> kRecordingMagic = {'Z', 'R', 'E', 'C'};

} // namespace

std::string WhyUnreadable(const std::string &path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return "it is a directory";
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::strerror(errno);
    if (file.peek() == std::ifstream::traits_type::eof()) return "it is empty";
    return {};
}

bool IsRecordingFile(const std::string &path)
{
    std::array<char, kRecordingMagic.size()> start{};
    std::ifstream file(path, std::ios::binary);
    return file.read(start.data(), start.size()) && start == kRecordingMagic;
}

} // namespace zaviplay
