#include "batch/Shard.h"

#include <algorithm>

namespace pm {

int ShardOf(std::string_view relativePath, int count) {
    if (count <= 1) return 0;
    const std::size_t slash = relativePath.find_last_of('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = relativePath.find_last_of('.');
    const std::string_view stem =
        dot != std::string_view::npos && dot >= nameStart ? relativePath.substr(0, dot) : relativePath;
    return static_cast<int>(Fnv1a64(stem) % static_cast<std::uint64_t>(count));
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
