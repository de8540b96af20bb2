// Where a reader gets a recording's bytes from: a file on disk or a block of
// memory that the caller owns.
#pragma once

#include <cstdint>
#include <memory>

namespace zavifile {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // The bytes [offset, offset + length), or null when the source does not
    // hold them all. The pointer stays valid until the next Read.
    virtual const uint8_t *Read(uint64_t offset, uint32_t length) = 0;
};

// Null when the file cannot be opened.
std::unique_ptr<ByteSource> OpenFileSource(const char *path);
std::unique_ptr<ByteSource> OpenMemorySource(const uint8_t *data, uint32_t size);

} // namespace zavifile
