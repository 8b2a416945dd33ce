#pragma once
// A fresh directory below the system's temporary directory, removed with
// everything in it when the object dies.
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <cstdlib>

namespace pm::test {

class TScratchDir {
public:
    TScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pixmill-test-XXXXXX").string();
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
        root_ = buf.data();
    }
    ~TScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;

    // The directory itself, with a trailing separator.
    std::string Path() const { return root_.string() + "/"; }
    // A path below the directory (not created).
    std::string operator/(const std::string& relative) const { return Path() + relative; }

    // Creates a directory (and its parents); returns it with a trailing separator.
    std::string MakeDir(const std::string& relative) const {
        std::filesystem::create_directories(root_ / relative);
        std::string p = (root_ / relative).string();
        return p.back() == '/' ? p : p + "/";
    }
    // Writes a file (creating its directory); returns its path.
    std::string Write(const std::string& relative, const std::string& content) const {
        const std::filesystem::path p = root_ / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out << content;
        return p.string();
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path root_;
};

}  // namespace pm::test
