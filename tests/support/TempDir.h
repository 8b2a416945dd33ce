#pragma once
// A fresh directory per test, removed afterwards, with small file helpers.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace pm::test {

class TTempDir {
public:
    TTempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/pixmill-test-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    // The directory with a trailing separator.
    std::string Dir() const { return path_ + "/"; }
    std::string Path(const std::string& name) const { return path_ + "/" + name; }

    static std::string Read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    static void Write(const std::string& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    // Writes `bytes` to the named file inside the directory; returns its path.
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const std::string p = Path(name);
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p;
    }
    // Creates a directory below this one (with its parents); returns it with
    // a trailing separator.
    std::string MakeDir(const std::string& relative) const {
        std::filesystem::create_directories(Path(relative));
        std::string p = Path(relative);
        return p.back() == '/' ? p : p + "/";
    }
    // Writes text to a file below this one, creating its folders; returns its path.
    std::string Put(const std::string& relative, const std::string& text) const {
        const std::string p = Path(relative);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        Write(p, text);
        return p;
    }
    static bool Exists(const std::string& file) {
        std::error_code ec;
        return std::filesystem::exists(file, ec);
    }
    // Every regular file below `dir` with its bytes, by path relative to `dir`
    // (empty when `dir` does not exist).
    static std::map<std::string, std::string> Snapshot(const std::string& dir) {
        std::map<std::string, std::string> files;
        std::error_code ec;
        if (!std::filesystem::exists(dir, ec)) return files;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
            if (e.is_regular_file())
                files[std::filesystem::relative(e.path(), dir).string()] = Read(e.path().string());
        return files;
    }
    // Names of the directory's entries, sorted.
    std::vector<std::string> List() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path_;
};

using TempDir = TTempDir;

}  // namespace pm::test
