#pragma once
// pixmill-batch info: what the loader sees in picture files.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace pm {

// Prints a block of lines per readable file to `out`; for a file that cannot
// be read, `complain` gets "FILE: reason". False when any file failed.
bool PrintPictureInfo(const std::vector<std::string>& files, std::FILE* out,
                      const std::function<void(const std::string&)>& complain);

}  // namespace pm
