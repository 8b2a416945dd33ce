#include "batch/RunState.h"

#include "core/AtomicFile.h"
#include "core/StringUtils.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pm {

namespace {

constexpr const char* kHeader = "pixmill-state 1\n";
// Sources written this close to the moment they were recorded get their
// content compared too (coarse file system clocks tick in up to 2 s).
constexpr std::int64_t kRacyNs = 3'000'000'000;

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Names may hold any byte but NUL; tabs and line breaks would cut a record.
std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size()) return false;
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return false;
        }
    }
    return !out.empty();
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

template <typename T> bool Number(std::string_view text, T& value, int base = 10) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string Hex(std::uint64_t v) {
    char buf[17];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, 16);
    return std::string(buf, end);
}

void AppendStamp(std::string& out, const TFileStamp& s) {
    out += '\t' + std::to_string(s.Size) + '\t' + std::to_string(s.MTimeNs) + '\t' + std::to_string(s.Inode);
}

bool ParseStamp(const std::vector<std::string_view>& f, std::size_t at, TFileStamp& s) {
    return f.size() >= at + 3 && Number(f[at], s.Size) && Number(f[at + 1], s.MTimeNs) &&
           Number(f[at + 2], s.Inode);
}

std::string Serialise(const std::map<std::string, TSourceRecord>& entries) {
    std::string text = kHeader;
    for (const auto& [source, rec] : entries) {
        text += "S\t" + Escape(source) + '\t' + Hex(rec.Scenario);
        AppendStamp(text, rec.Source);
        text += '\t' + Hex(rec.SourceHash) + '\t' + std::to_string(rec.RecordedNs) + '\n';
        for (const TResultRecord& r : rec.Results) {
            text += "R\t" + Escape(r.File);
            AppendStamp(text, r.Stamp);
            text += '\n';
        }
    }
    // The closing line proves the file whole: a cut or altered file does not
    // match its count and checksum.
    text += "E\t" + std::to_string(entries.size()) + '\t' + Hex(Fnv1a64(text)) + '\n';
    return text;
}

// Every record, or nothing when any line is not as written.
std::map<std::string, TSourceRecord> Parse(std::string_view text) {
    std::map<std::string, TSourceRecord> entries;
    if (text.substr(0, std::char_traits<char>::length(kHeader)) != kHeader) return {};
    std::size_t pos = std::char_traits<char>::length(kHeader);
    TSourceRecord* current = nullptr;
    while (pos < text.size()) {
        const std::size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) return {};
        const std::vector<std::string_view> f = Fields(text.substr(pos, eol - pos));
        if (f[0] == "E") {
            std::size_t count = 0;
            std::uint64_t sum = 0;
            const bool whole = f.size() == 3 && Number(f[1], count) && count == entries.size() &&
                               Number(f[2], sum, 16) && sum == Fnv1a64(text.substr(0, pos)) &&
                               eol + 1 == text.size();
            if (!whole) return {};
            return entries;
        }
        std::string name;
        if (f[0] == "S" && f.size() == 8) {
            TSourceRecord rec;
            if (!Unescape(f[1], name) || !Number(f[2], rec.Scenario, 16) || !ParseStamp(f, 3, rec.Source) ||
                !Number(f[6], rec.SourceHash, 16) || !Number(f[7], rec.RecordedNs))
                return {};
            current = &(entries[name] = std::move(rec));
        } else if (f[0] == "R" && f.size() == 5 && current) {
            TResultRecord r;
            if (!Unescape(f[1], r.File) || !ParseStamp(f, 2, r.Stamp)) return {};
            current->Results.push_back(std::move(r));
        } else {
            return {};
        }
        pos = eol + 1;
    }
    return {};  // no closing line: cut short
}

std::string ReadWhole(const std::string& file) {
    std::string data;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return data;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        data.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return data;
}

// Holds an exclusive lock on a folder while in scope (best effort: without
// the lock the state is still whole, only a concurrent shard's records may
// be lost, which costs a re-run of those files, no harm).
class TFolderLock {
public:
    explicit TFolderLock(const std::string& dir)
        : fd_(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~TFolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

private:
    int fd_;
};

}  // namespace

bool StampOf(const std::string& path, TFileStamp& stamp) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    stamp.Size = static_cast<std::uint64_t>(st.st_size);
    stamp.MTimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    stamp.Inode = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

std::optional<std::uint64_t> ContentHash(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::uint64_t hash = 14695981039346656037ull;
    char buf[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i) hash = (hash ^ static_cast<unsigned char>(buf[i])) * 1099511628211ull;
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    return hash;
}

std::uint64_t ScenarioHash(const TTaskList& entries) {
    std::string text;
    for (const auto& rec : entries) {
        if (!rec || !rec->Task) continue;
        text += rec->Task->ClassName() + '\n';
        for (const TINIRecord& r : rec->Task->SaveSettings(rec->Name).Records())
            if (r.Name != "TaskName") text += r.Name + '=' + r.Data + '\n';
        text += '\n';
    }
    return Fnv1a64(text);
}

TRunState::TRunState(std::string targetDirectory) : dir_(std::move(targetDirectory)) {}

std::map<std::string, TSourceRecord> TRunState::Read() const {
    return Parse(ReadWhole(FileName()));
}

void TRunState::Load() {
    entries_ = Read();
    changes_.clear();
}

bool TRunState::UpToDate(const std::string& source, const TFileStamp& now, std::uint64_t scenario,
                         const std::vector<std::string>& results) const {
    const auto it = entries_.find(source);
    if (it == entries_.end() || results.empty()) return false;
    const TSourceRecord& rec = it->second;
    if (rec.Scenario != scenario || rec.Results.size() != results.size() || !(now == rec.Source))
        return false;
    for (std::size_t i = 0; i < results.size(); ++i) {
        TFileStamp stamp;
        if (rec.Results[i].File != results[i] || !StampOf(results[i], stamp) ||
            !(stamp == rec.Results[i].Stamp))
            return false;
    }
    if (rec.RecordedNs - rec.Source.MTimeNs < kRacyNs) {
        const std::optional<std::uint64_t> hash = ContentHash(source);
        if (!hash || *hash != rec.SourceHash) return false;
    }
    return true;
}

void TRunState::Record(const std::string& source, const TFileStamp& before, std::uint64_t scenario,
                       const std::vector<std::string>& results) {
    TSourceRecord rec;
    rec.Scenario = scenario;
    rec.Source = before;
    rec.RecordedNs = NowNs();
    TFileStamp after;
    bool ok = !results.empty() && StampOf(source, after) && after == before;
    if (ok && rec.RecordedNs - before.MTimeNs < kRacyNs) {
        const std::optional<std::uint64_t> hash = ContentHash(source);
        TFileStamp still;
        ok = hash && StampOf(source, still) && still == before;
        rec.SourceHash = hash.value_or(0);
    }
    for (const std::string& result : results) {
        TResultRecord r{result, {}};
        ok = ok && StampOf(result, r.Stamp);
        rec.Results.push_back(std::move(r));
    }
    if (!ok) {
        Forget(source);
        return;
    }
    entries_[source] = rec;
    changes_[source] = std::move(rec);
}

void TRunState::Forget(const std::string& source) {
    if (entries_.erase(source) > 0 || changes_.count(source)) changes_[source] = std::nullopt;
}

bool TRunState::Save() {
    if (changes_.empty()) return true;
    TFolderLock lock(dir_);
    std::map<std::string, TSourceRecord> merged = Read();
    for (auto& [source, change] : changes_) {
        if (change)
            merged[source] = *change;
        else
            merged.erase(source);
    }
    std::erase_if(merged, [](const auto& entry) {
        TFileStamp stamp;
        return !StampOf(entry.first, stamp);
    });
    // Not flushed on its own: the run flushes the target's file system once,
    // with the results, so the state never reaches the disk before them.
    const std::string text = Serialise(merged);
    TAtomicFileWriter writer(FileName(), false);
    const bool ok = writer.IsOpen() && writer.Write(text.data(), text.size()) && writer.Commit();
    if (ok) changes_.clear();
    entries_ = std::move(merged);
    return ok;
}

}  // namespace pm
