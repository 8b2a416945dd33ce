#include "batch/Shard.h"

#include <algorithm>

namespace pm {

std::uint64_t Fnv1a64(std::string_view text) {
    std::uint64_t h = 14695981039346656037ULL;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

int ShardOf(std::string_view relativePath, int count) {
    if (count <= 1) return 0;
    return static_cast<int>(Fnv1a64(relativePath) % static_cast<std::uint64_t>(count));
}

void KeepShard(std::vector<std::string>& found, const std::string& sourceDirectory, const TShard& shard) {
    if (shard.Whole()) return;
    const int wanted = shard.Index - 1;
    std::erase_if(found, [&](const std::string& file) {
        // Found files always start with the source folder; anything else is
        // hashed whole rather than cut at a wrong place.
        std::string_view rel = file;
        if (rel.size() >= sourceDirectory.size() &&
            rel.compare(0, sourceDirectory.size(), sourceDirectory) == 0)
            rel.remove_prefix(sourceDirectory.size());
        return ShardOf(rel, shard.Count) != wanted;
    });
}

}  // namespace pm
