#pragma once
// The source files of a run, known by identity (device and inode) and by
// name, so that no result is ever put in place of one of them, whatever
// path leads to it: a hard link, a folder link or the same folder named
// twice.
#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace pm {

class TSourceGuard {
public:
    // Adds the file `path` (absolute and normal): the file itself and, for a
    // symbolic link, the link too.
    void Add(const std::string& path);
    // Whether `path` names one of the files added, now.
    bool IsSource(const std::string& path) const;
    std::size_t Size() const { return ids_.size(); }

private:
    std::set<std::pair<std::uint64_t, std::uint64_t>> ids_;
    std::set<std::string> names_;
};

}  // namespace pm
