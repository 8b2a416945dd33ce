#pragma once
// The date a picture was taken, as result names and captions show it.
#include <string>

namespace pm {

// The date and time the file was taken (its EXIF "DateTimeOriginal"), else
// when it was last written, in the strftime `format`; empty when neither is
// known or the format gives nothing.
std::string DateOfFile(const std::string& fileName, const std::string& format = "%Y-%m-%d");

}  // namespace pm
