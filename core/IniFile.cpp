#include "core/IniFile.h"

#include "core/AtomicFile.h"
#include "core/StringUtils.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unordered_set>

namespace pm {

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::exists(fileName_, ec)) return;  // a missing file reads as empty
    // An unreadable file must not pass for an empty one: a save would then
    // replace it with nothing but the new sections.
    if (fs::is_directory(fileName_, ec)) throw EIniFileError("Unable to read " + fileName_);
    const std::uintmax_t size = fs::file_size(fileName_, ec);
    if (!ec && size > MaxFileSize) throw EIniFileError("Unable to read " + fileName_ + " (file too large)");
    std::ifstream in(fileName_, std::ios::binary);
    if (!in) throw EIniFileError("Unable to read " + fileName_);
    std::stringstream ss;
    ss << in.rdbuf();
    if (in.bad()) throw EIniFileError("Unable to read " + fileName_);
    std::string text = ss.str();
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::string line = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        pos = nl == std::string::npos ? text.size() : nl + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string t = Trim(line);
        if (!t.empty() && t[0] == '[') {
            std::size_t close = t.find(']');
            std::string name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            lines_.push_back({Kind::Section, name, {}, line});
            continue;
        }
        std::size_t eq = line.find('=');
        if (eq != std::string::npos && !t.empty() && t[0] != ';') {
            lines_.push_back({Kind::Entry, Trim(line.substr(0, eq)), line.substr(eq + 1), line});
        } else {
            lines_.push_back({Kind::Other, {}, {}, line});
        }
    }
}

std::string TIniFile::CleanValue(const std::string& raw) {
    std::string v = Trim(raw);
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
        v = v.substr(1, v.size() - 2);
    if (v.size() > MaxValueLength) v.resize(MaxValueLength);
    return v;
}

// Projects of thousands of items look up thousands of sections: the first
// header of each name is kept in an index, rebuilt after the lines moved.
std::ptrdiff_t TIniFile::FindSection(const std::string& section) const {
    if (!indexValid_) {
        index_.clear();
        for (std::size_t i = 0; i < lines_.size(); ++i)
            if (lines_[i].kind == Kind::Section) index_.emplace(UpperCase(lines_[i].name), i);
        indexValid_ = true;
    }
    const auto it = index_.find(UpperCase(section));
    return it == index_.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
}

std::size_t TIniFile::SectionEnd(std::size_t headerIndex) const {
    std::size_t i = headerIndex + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
    return i;
}

// Key names are handed out as the platform does: as many as fit in a buffer
// of NameListBytes, each counted with its terminating zero, plus the zero
// that ends the list. The list stops at the first name that does not fit.
static bool AppendLimited(std::vector<std::string>& out, std::size_t& used, const std::string& name) {
    if (used + name.size() + 1 >= TIniFile::NameListBytes) return false;
    used += name.size() + 1;
    out.push_back(name);
    return true;
}

// Every section name, however many: a project's items are its sections, and
// a list cut short would drop items without a word.
std::vector<std::string> TIniFile::ReadSections() const {
    std::vector<std::string> out;
    std::unordered_set<std::string> seen;
    for (const Line& l : lines_)
        if (l.kind == Kind::Section && seen.insert(UpperCase(l.name)).second) out.push_back(l.name);
    return out;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
    std::vector<std::string> out;
    std::ptrdiff_t h = FindSection(section);
    if (h < 0) return out;
    std::size_t used = 0;
    for (std::size_t i = h + 1, e = SectionEnd(h); i < e; ++i)
        if (lines_[i].kind == Kind::Entry && !AppendLimited(out, used, lines_[i].name)) break;
    return out;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
    std::ptrdiff_t h = FindSection(section);
    if (h < 0) return def;
    for (std::size_t i = h + 1, e = SectionEnd(h); i < e; ++i)
        if (lines_[i].kind == Kind::Entry && SameText(lines_[i].name, key))
            return CleanValue(lines_[i].value);
    return def;
}

bool TIniFile::SectionExists(const std::string& section) const {
    return FindSection(section) >= 0;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
    std::ptrdiff_t h = FindSection(section);
    if (h < 0) return false;
    for (std::size_t i = h + 1, e = SectionEnd(h); i < e; ++i)
        if (lines_[i].kind == Kind::Entry && SameText(lines_[i].name, key)) return true;
    return false;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    std::ptrdiff_t h = FindSection(section);
    if (h < 0) {
        if (indexValid_) index_.emplace(UpperCase(section), lines_.size());
        lines_.push_back({Kind::Section, section, {}, "[" + section + "]"});
        lines_.push_back({Kind::Entry, key, value, {}});
        return;
    }
    std::size_t e = SectionEnd(h);
    std::size_t lastEntry = h;
    for (std::size_t i = h + 1; i < e; ++i) {
        if (lines_[i].kind != Kind::Entry) continue;
        if (SameText(lines_[i].name, key)) {
            lines_[i].value = value;
            return;
        }
        lastEntry = i;
    }
    // New keys go right after the section's last entry, before trailing blank lines.
    if (e < lines_.size()) indexValid_ = false;  // later sections move down
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastEntry + 1),
                  Line{Kind::Entry, key, value, {}});
}

void TIniFile::EraseSection(const std::string& section) {
    for (;;) {
        std::ptrdiff_t h = FindSection(section);
        if (h < 0) return;
        std::size_t e = SectionEnd(h);
        lines_.erase(lines_.begin() + h, lines_.begin() + static_cast<std::ptrdiff_t>(e));
        indexValid_ = false;
    }
}

void TIniFile::UpdateFile() {
    std::string text;
    for (const Line& l : lines_) {
        switch (l.kind) {
        case Kind::Section:
            text += "[" + l.name + "]";
            break;
        case Kind::Entry:
            text += l.name + "=" + l.value;
            break;
        case Kind::Other:
            text += l.raw;
            break;
        }
        text += "\n";
    }
    if (!WriteFileAtomically(fileName_, text)) throw EIniFileError("Unable to write to " + fileName_);
}

}  // namespace pm
