#pragma once
// Splitting the files of a run into disjoint parts, so that several
// processes or machines can share one project: a file belongs to part
// (FNV-1a 64 of its path relative to the source folder) mod count.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pm {

// 64-bit FNV-1a over the bytes of `text` (offset basis 14695981039346656037,
// prime 1099511628211).
std::uint64_t Fnv1a64(std::string_view text);

// Which of `count` parts (0 .. count - 1) the file `relativePath` falls into.
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
