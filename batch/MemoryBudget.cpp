#include "batch/MemoryBudget.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace pm {

void TMemoryBudget::Begin(TWorkerGate& worker, int index) {
    End(worker);
    if (limit_ == 0) return;
    std::lock_guard lock(mutex_);
    worker.file_ = index;
    inProgress_.insert(index);
}

void TMemoryBudget::Reserve(TWorkerGate& worker, std::size_t bytes, unsigned copies) {
    if (limit_ == 0 || worker.file_ < 0 || bytes < kSmallAllocation) return;
    const std::uint64_t want = static_cast<std::uint64_t>(bytes) * copies;
    if (want <= worker.reserved_) return;
    std::unique_lock lock(mutex_);
    const std::uint64_t more = want - worker.reserved_;
    const auto mayGo = [&] {
        if (*inProgress_.begin() == worker.file_) return true;  // the oldest never waits
        return inUse_ + more <= limit_ && *waiting_.begin() == worker.file_;
    };
    waiting_.insert(worker.file_);
    if (!mayGo()) {
        ++waits_;
        changed_.wait(lock, mayGo);
    }
    waiting_.erase(worker.file_);
    inUse_ += more;
    peak_ = std::max(peak_, inUse_);
    worker.reserved_ = want;
    // The next file in line may fit as well.
    changed_.notify_all();
}

void TMemoryBudget::End(TWorkerGate& worker) {
    if (worker.file_ < 0) return;
    bool othersWait = false;
    {
        std::lock_guard lock(mutex_);
        othersWait = !waiting_.empty();
    }
    // Freed memory stays with the allocator of the thread that freed it, out
    // of reach of the others: hand it back before the reservation, so that the
    // budget is what the process really holds. Only when someone waits, as it
    // costs the next file fresh pages.
#if defined(__GLIBC__)
    if (othersWait) ::malloc_trim(0);
#endif
    {
        std::lock_guard lock(mutex_);
        inUse_ -= worker.reserved_;
        inProgress_.erase(worker.file_);
        worker.reserved_ = 0;
        worker.file_ = -1;
    }
    changed_.notify_all();
}

std::uint64_t TMemoryBudget::PeakReserved() const {
    std::lock_guard lock(mutex_);
    return peak_;
}

int TMemoryBudget::Waits() const {
    std::lock_guard lock(mutex_);
    return waits_;
}

namespace {

// "MemAvailable:  123456 kB" from /proc/meminfo, in bytes; 0 when unknown.
std::uint64_t AvailableMemory() {
    std::ifstream in("/proc/meminfo");
    std::string key, unit;
    std::uint64_t value = 0;
    while (in >> key >> value >> unit)
        if (key == "MemAvailable:") return value * 1024;
    return 0;
}

// What the process's control group still allows; 0 when unlimited or unknown.
std::uint64_t ContainerHeadroom() {
    std::ifstream maxFile("/sys/fs/cgroup/memory.max"), currentFile("/sys/fs/cgroup/memory.current");
    std::string max;
    std::uint64_t current = 0;
    if (!(maxFile >> max) || max == "max" || !(currentFile >> current)) return 0;
    const std::uint64_t limit = std::strtoull(max.c_str(), nullptr, 10);
    return limit > current ? limit - current : 1;
}

}  // namespace

std::uint64_t DefaultMemoryBudget() {
    std::uint64_t available = AvailableMemory();
    if (const std::uint64_t headroom = ContainerHeadroom();
        headroom > 0 && (available == 0 || headroom < available))
        available = headroom;
    constexpr std::uint64_t kMinimum = std::uint64_t(256) << 20;
    return std::max(available / 2, kMinimum);
}

bool ParseMemorySize(const std::string& text, std::uint64_t& bytes) {
    if (text.empty() || text.size() > 24) return false;
    std::size_t digits = 0;
    while (digits < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[digits])) || text[digits] == '.'))
        ++digits;
    if (digits == 0 || text.find('.') != text.rfind('.')) return false;
    const std::string number = text.substr(0, digits), unit = text.substr(digits);
    double scale = 1;
    if (unit == "K" || unit == "k")
        scale = 1024.0;
    else if (unit == "M" || unit == "m")
        scale = 1024.0 * 1024;
    else if (unit == "G" || unit == "g")
        scale = 1024.0 * 1024 * 1024;
    else if (unit == "T" || unit == "t")
        scale = 1024.0 * 1024 * 1024 * 1024;
    else if (!unit.empty())
        return false;
    const double value = std::strtod(number.c_str(), nullptr) * scale;
    if (!std::isfinite(value) || value >= 1.8e19) return false;
    bytes = static_cast<std::uint64_t>(value);
    return true;
}

}  // namespace pm
