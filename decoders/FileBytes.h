#pragma once
// Reading a whole input file safely: only a regular file is read, so a fifo,
// device or socket put in a picture's place fails at once instead of
// blocking the reader (or feeding it without end).
#include <cstdint>
#include <string>
#include <vector>

namespace pm {

class IPixelMemoryGate;

// Reads `fileName` into `data`. False with a reason in `error` when it is not
// a regular file, cannot be opened or read, or is larger than `maxBytes`.
// A memory gate hears of the file's size before its bytes are allocated.
bool ReadRegularFile(const std::string& fileName, std::uint64_t maxBytes, std::vector<std::uint8_t>& data,
                     std::string& error, IPixelMemoryGate* gate = nullptr);

}  // namespace pm
