#pragma once
// What a target folder remembers of the results made there, so that a
// re-run can leave alone every source whose results are up to date. One
// small hidden file per target folder; a missing or damaged one means that
// nothing is known, never an error.
#include "core/RunContext.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pm {

// What tells a file's content apart without reading it.
struct TFileStamp {
    std::uint64_t Size = 0;
    std::int64_t MTimeNs = 0;
    std::uint64_t Inode = 0;
    bool operator==(const TFileStamp&) const = default;
};

// False when `path` is no regular file that can be looked at.
bool StampOf(const std::string& path, TFileStamp& stamp);
// FNV-1a 64 of the file's bytes; nullopt when it cannot be read.
std::optional<std::uint64_t> ContentHash(const std::string& path);

// The settings of a scenario as one number: every task's type and settings
// in order. Task names, the file's bytes and its time play no part.
std::uint64_t ScenarioHash(const TTaskList& entries);

struct TResultRecord {
    std::string File;  // absolute
    TFileStamp Stamp;
};

struct TSourceRecord {
    std::uint64_t Scenario = 0;
    TFileStamp Source;
    std::uint64_t SourceHash = 0;
    // When the record was made: a source written within the clock's
    // resolution of it could change again without a new time, so its
    // content is compared too.
    std::int64_t RecordedNs = 0;
    std::vector<TResultRecord> Results;
};

class TRunState {
public:
    // `targetDirectory` ends with the separator.
    explicit TRunState(std::string targetDirectory);

    static constexpr const char* kFileName = ".pixmill-state";
    std::string FileName() const { return dir_ + kFileName; }

    // Reads the state file; missing or damaged, the state is empty.
    void Load();
    std::size_t Size() const { return entries_.size(); }

    // Whether `source`, whose stamp is `now`, was made into exactly
    // `results`, as they are now, by the scenario with hash `scenario`.
    bool UpToDate(const std::string& source, const TFileStamp& now, std::uint64_t scenario,
                  const std::vector<std::string>& results) const;

    // Notes that `source` (with the stamp it had before it was processed)
    // was made into `results` by `scenario`; a source changed meanwhile or a
    // missing result forgets it instead.
    void Record(const std::string& source, const TFileStamp& before, std::uint64_t scenario,
                const std::vector<std::string>& results);
    void Forget(const std::string& source);

    // Writes the changes since Load into the state file, merged with what
    // other processes (shards) wrote meanwhile, under a lock on the folder.
    // Records of sources that no longer exist are dropped. Nothing changed:
    // nothing written. The file is not flushed to disk (see SyncFileSystemOf).
    bool Save();

private:
    std::map<std::string, TSourceRecord> Read() const;

    std::string dir_;
    std::map<std::string, TSourceRecord> entries_;
    std::map<std::string, std::optional<TSourceRecord>> changes_;
};

}  // namespace pm
