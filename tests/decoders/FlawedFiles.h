#pragma once
// Files with one known flaw each, built in code: damaged ones whose pixels
// cannot all be known (they must fail, with the reader's reason), and ones
// where only a redundant field is wrong (they must load, with a warning, and
// give the same pixels as their flawless twin).
#include "decoders/Picture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pm::test {

struct TFlawedFile {
    std::string name;       // what is wrong, for test traces
    std::string extension;  // picks the reader
    TDecoderFn reader;
    std::vector<std::uint8_t> bytes;
    std::string reason;                // the reader's error, or its warning
    std::vector<std::uint8_t> twin{};  // harmless ones: the file without the flaw
};

// With `withRenderer`, EPS files that need Ghostscript are included.
std::vector<TFlawedFile> DamagedFiles(bool withRenderer);
std::vector<TFlawedFile> HarmlessOddities(bool withRenderer);

bool GhostscriptAvailable();

}  // namespace pm::test
