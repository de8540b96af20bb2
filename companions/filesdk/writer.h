// A writer: appends packets to a new recording as a device records them and
// closes it with the index. The functions of ZAVIFileSDK.h's writer section.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <vector>

#include "packet_index.h"

namespace zavifile {

class Writer {
public:
    // Creates the file and writes its header; 0 or a ZAVIFILE_ERR_* code.
    static int32_t Create(const char *path, uint32_t createdUtc, std::unique_ptr<Writer> &created);

    int32_t Append(const uint8_t *packet, int32_t length);
    int32_t Flush();
    // Writes the index block and trailer and closes the file.
    int32_t Close();

private:
    explicit Writer(std::ofstream file) : file_(std::move(file)) {}

    std::ofstream file_;
    std::vector<StoredEntry> entries_;
    uint64_t dataEnd_ = 0;
};

} // namespace zavifile
