#pragma once
// Result names from a pattern: "{name}_web", "{date:%Y-%m-%d}_{counter:4}".
#include <string>

namespace pm {

struct TNameFacts {
    std::string Stem;        // the result's name by the usual rule, without extension
    std::string SourceFile;  // for {date}
    int Counter = 0;         // the file's number in the run
};

// {name} is the stem, {date} the date the source was taken (else last
// written) as YYYY-MM-DD or {date:FORMAT} in strftime's terms, {counter}
// the number, {counter:N} the number with zeros to N digits (N up to 9).
// Other text stays as it is; an empty pattern gives the stem.
std::string ExpandNamePattern(const std::string& pattern, const TNameFacts& facts);

// Whether a name can be a file name in the result's folder: not empty, not
// "." or "..", without a path separator or a control character.
bool UsableFileName(const std::string& name);

}  // namespace pm
