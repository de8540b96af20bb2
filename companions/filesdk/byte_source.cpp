#include "byte_source.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace zavifile {
namespace {

// Reads ahead in chunks, so that a scan over packet headers and forward
// playback cost one file read per chunk rather than one per packet.
constexpr uint32_t kReadAheadSize = 256u * 1024u;

class FileSource final : public ByteSource {
public:
    FileSource(std::ifstream file, uint64_t size) : file_(std::move(file)), size_(size) {}

    uint64_t Size() const override { return size_; }

    const uint8_t *Read(uint64_t offset, uint32_t length) override
    {
        if (offset > size_ || length > size_ - offset) return nullptr;
        if (offset >= chunkOffset_ && offset + length <= chunkOffset_ + chunk_.size()) {
            return chunk_.data() + (offset - chunkOffset_);
        }
        const uint64_t wanted = std::min<uint64_t>(std::max(length, kReadAheadSize), size_ - offset);
        chunk_.resize(static_cast<size_t>(wanted));
        chunkOffset_ = offset;
        file_.clear();
        file_.seekg(static_cast<std::streamoff>(offset));
        file_.read(reinterpret_cast<char *>(chunk_.data()), static_cast<std::streamsize>(wanted));
        if (static_cast<uint64_t>(file_.gcount()) != wanted) {
            chunk_.clear();
            return nullptr;
        }
        return chunk_.data();
    }

private:
    std::ifstream file_;
    uint64_t size_;
    std::vector<uint8_t> chunk_;
    uint64_t chunkOffset_ = 0;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(const uint8_t *data, uint32_t size) : data_(data), size_(size) {}

    uint64_t Size() const override { return size_; }

    const uint8_t *Read(uint64_t offset, uint32_t length) override
    {
        if (offset > size_ || length > size_ - offset) return nullptr;
        return data_ + offset;
    }

private:
    const uint8_t *data_;
    uint32_t size_;
};

} // namespace

std::unique_ptr<ByteSource> OpenFileSource(const char *path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return nullptr;
    const std::streamoff size = file.tellg();
    if (size < 0) return nullptr;
    return std::make_unique<FileSource>(std::move(file), static_cast<uint64_t>(size));
}

std::unique_ptr<ByteSource> OpenMemorySource(const uint8_t *data, uint32_t size)
{
    return std::make_unique<MemorySource>(data, size);
}

} // namespace zavifile
