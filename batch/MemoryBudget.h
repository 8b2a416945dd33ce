#pragma once
// Keeping the workers of a parallel run within a memory budget.
//
// A file's memory is reserved as its reader comes to allocate it: the bytes
// of the file when it is read, then, before the first picture, the picture's
// size (known from the header by then) times its working copies. A worker
// whose reservation does not fit waits, holding no more than it has; files
// are let in in file-list order, and the oldest file in progress (the one the
// run must log next) never waits, so the run always moves on: a file larger
// than the whole budget goes ahead as soon as every earlier file is done.
#include "imaging/PixelMemoryGate.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>

namespace pm {

class TMemoryBudget {
public:
    // Allocations below this size neither reserve nor wait.
    static constexpr std::size_t kSmallAllocation = 1 << 20;

    // `limit` in bytes; 0 lets everything pass.
    explicit TMemoryBudget(std::uint64_t limit) : limit_(limit) {}

    // The gate of one worker; install it on the worker's thread.
    class TWorkerGate : public IPixelMemoryGate {
    public:
        explicit TWorkerGate(TMemoryBudget& budget) : budget_(budget) {}
        ~TWorkerGate() override { EndFile(); }
        // The file the worker starts now (its index in the file list).
        void BeginFile(int index) { budget_.Begin(*this, index); }
        // Gives the file's reservation back.
        void EndFile() { budget_.End(*this); }
        void BeforeAllocate(std::size_t bytes, unsigned copies) override {
            budget_.Reserve(*this, bytes, copies);
        }

    private:
        friend class TMemoryBudget;
        TMemoryBudget& budget_;
        int file_ = -1;
        std::uint64_t reserved_ = 0;
    };

    std::uint64_t Limit() const { return limit_; }
    // The largest total reserved at any time so far.
    std::uint64_t PeakReserved() const;
    // How many times a file had to wait.
    int Waits() const;

private:
    void Begin(TWorkerGate& worker, int index);
    void Reserve(TWorkerGate& worker, std::size_t bytes, unsigned copies);
    void End(TWorkerGate& worker);

    const std::uint64_t limit_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t inUse_ = 0;
    std::uint64_t peak_ = 0;
    int waits_ = 0;
    std::set<int> inProgress_;  // file indices
    std::set<int> waiting_;
};

// The default budget: half the memory available to this process now (what
// the system reports as available, within a container's limit), at least
// 256 MiB.
std::uint64_t DefaultMemoryBudget();

// "512M", "2G", "1.5G", "800000000": a size in bytes with an optional K, M,
// G or T (powers of 1024); false for anything else.
bool ParseMemorySize(const std::string& text, std::uint64_t& bytes);

}  // namespace pm
