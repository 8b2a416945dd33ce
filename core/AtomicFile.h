#pragma once
// Replacing a file without ever leaving a half-written one: the data goes to
// a temporary file in the same folder, is flushed to disk and renamed over
// the target.
#include <cstdint>
#include <string>
#include <string_view>

namespace pm {

bool WriteFileAtomically(const std::string& fileName, std::string_view data);

// A temporary file beside `target`; Commit() renames it over the target,
// otherwise the destructor removes it. The rename alone already means that
// the target is never seen half-written by any program; the flush to disk
// before it (`durable`) also keeps a system crash from leaving an empty or
// partial file under the target name. A caller that writes many files may
// leave it out and flush them all at once with SyncFileSystemOf.
class TAtomicFileWriter {
public:
    explicit TAtomicFileWriter(const std::string& target, bool durable = true);
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter&) = delete;
    TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    bool Write(const void* data, std::size_t size);
    // Finishes the temporary file (flushed to disk when durable) without
    // putting it in place yet; Commit() does both.
    bool Close();
    bool Commit();
    const std::string& TempName() const { return temp_; }
    const std::string& Target() const { return target_; }
    // The system's error number of the step that failed (0: none known).
    int Error() const { return error_; }

private:
    std::string target_;
    std::string temp_;
    int fd_ = -1;
    bool failed_ = false;
    bool closed_ = false;
    bool durable_ = true;
    int error_ = 0;
};

// Writes everything the file system holding `path` has in memory to disk;
// false when that fails.
bool SyncFileSystemOf(const std::string& path);

}  // namespace pm
