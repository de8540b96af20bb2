// The two kinds of file a tile plays: packet streams (.zvs, whole packets
// back to back) and recordings (.zvr, starting with "ZREC").
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

using Packet = std::vector<uint8_t>;

bool isRecordingFile(const QString &path);

// The packets of a packet stream file; empty when it holds none.
std::vector<Packet> readStreamFile(const QString &path);

// A packet's time stamp, in milliseconds.
uint32_t packetTimeStamp(const Packet &packet);
