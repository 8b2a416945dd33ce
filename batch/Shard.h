#pragma once
// Splitting the files of a run into disjoint parts, so that several
// processes or machines can share one project: a file belongs to part
// (FNV-1a 64 of its path relative to the source folder, without the file's
// extension) mod count. Sources that differ only in their extension share a
// result name, so they always fall in the same part, where the run can tell
// that they collide.
#include "core/StringUtils.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pm {

// Which of `count` parts (0 .. count - 1) the file `relativePath` falls into:
// decided by the path without the extension of its file name.
int ShardOf(std::string_view relativePath, int count);

// A part of a run: index 1 .. Count; Count 1 is the whole run.
struct TShard {
    int Index = 1;
    int Count = 1;
    bool Whole() const { return Count <= 1; }
};

// Keeps the files of `found` (full paths below `sourceDirectory`, which ends
// with the separator) that belong to `shard`, in their order.
void KeepShard(std::vector<std::string>& found, const std::string& sourceDirectory, const TShard& shard);

}  // namespace pm
