#include "tasks/NamePattern.h"

#include "core/Paths.h"
#include "tasks/FileDate.h"

namespace pm {

std::string ExpandNamePattern(const std::string& pattern, const TNameFacts& facts) {
    if (pattern.empty()) return facts.Stem;
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        const std::size_t close = pattern[i] == '{' ? pattern.find('}', i) : std::string::npos;
        if (close == std::string::npos) {
            out += pattern[i++];
            continue;
        }
        const std::string inside = pattern.substr(i + 1, close - i - 1);
        const std::size_t colon = inside.find(':');
        const std::string key = inside.substr(0, colon);
        const std::string arg = colon == std::string::npos ? std::string() : inside.substr(colon + 1);
        if (key == "name" && colon == std::string::npos) {
            out += facts.Stem;
        } else if (key == "date") {
            out += DateOfFile(facts.SourceFile, arg.empty() ? "%Y-%m-%d" : arg);
        } else if (key == "counter" && (arg.empty() || (arg.size() == 1 && arg[0] >= '1' && arg[0] <= '9'))) {
            const std::string digits = std::to_string(facts.Counter);
            const std::size_t width = arg.empty() ? 0 : std::size_t(arg[0] - '0');
            out += std::string(width > digits.size() ? width - digits.size() : 0, '0') + digits;
        } else {
            out += pattern.substr(i, close - i + 1);
        }
        i = close + 1;
    }
    return out;
}

bool UsableFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find(kPathSeparator) != std::string::npos) return false;
    return !HasControlCharacter(name);
}

}  // namespace pm
