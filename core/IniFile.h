#pragma once
// Settings file (INI) reader and writer. Sections and keys match without
// regard to letter case; values lose surrounding blanks and one pair of
// enclosing quotes when read; writes keep the file's order and replace in
// place. Changes stay in memory until UpdateFile(), which replaces the file
// atomically (temporary file + rename), so a failed save never leaves a
// half-written file.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace pm {

class EIniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TIniFile {
public:
    static constexpr std::size_t MaxValueLength = 2047;
    static constexpr std::size_t NameListBytes = 16384;
    // Settings files are small; anything larger is not one of ours.
    static constexpr std::uintmax_t MaxFileSize = 64u << 20;

    // Reads the file when it exists (LF or CR LF lines). A file that exists
    // but cannot be read (or is larger than MaxFileSize) raises EIniFileError.
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return fileName_; }

    std::vector<std::string> ReadSections() const;
    std::vector<std::string> ReadSection(const std::string& section) const;
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void EraseSection(const std::string& section);
    // Writes everything to disk; raises EIniFileError "Unable to write to <file>".
    void UpdateFile();

    // The value text as the reader hands it out.
    static std::string CleanValue(const std::string& raw);

private:
    enum class Kind { Section, Entry, Other };
    struct Line {
        Kind kind;
        std::string name;   // section name or key
        std::string value;  // raw value text (entries)
        std::string raw;    // original text (Other)
    };
    std::ptrdiff_t FindSection(const std::string& section) const;
    std::size_t SectionEnd(std::size_t headerIndex) const;

    std::string fileName_;
    std::vector<Line> lines_;
    // Upper-cased section name -> index of its first header in lines_.
    mutable std::unordered_map<std::string, std::size_t> index_;
    mutable bool indexValid_ = false;
};

}  // namespace pm
