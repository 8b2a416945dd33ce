// Encapsulated PostScript. The PostScript part is rendered by Ghostscript at
// the size of its %%BoundingBox (one pixel per point). When Ghostscript is
// missing or fails, a DOS EPS file (binary header C5 D0 D3 C6) falls back to
// its TIFF or WMF preview; anything else fails.
//
// Ghostscript runs with -dSAFER in its own process group, without a shell,
// with /dev/null for its standard streams, on temporary copies; it is killed
// when it overruns its time limit.
#include "decoders/Decoders.h"
#include "decoders/EpsRender.h"
#include "imaging/ByteOrder.h"
#include "imaging/Limits.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace pm {

namespace {

std::mutex& ProgramMutex() {
    static std::mutex m;
    return m;
}
std::string& ProgramName() {
    static std::string name = "gs";
    return name;
}
int& TimeoutSeconds() {
    static int seconds = 30;
    return seconds;
}

struct TSection {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

struct TEpsParts {
    TSection ps, wmf, tiff;
    // Sections the header names but that do not lie inside the file.
    std::vector<std::string> misplaced;
};

std::optional<TSection> Slice(const TDecodeInput& in, std::uint32_t offset, std::uint32_t length) {
    if (offset == 0 || length == 0 || offset >= in.Size || length > in.Size - offset) return std::nullopt;
    return TSection{in.Data + offset, length};
}

bool SplitEps(const TDecodeInput& in, TEpsParts& parts, std::string& error) {
    static const std::uint8_t dosMagic[4] = {0xC5, 0xD0, 0xD3, 0xC6};
    if (in.Size >= 30 && std::memcmp(in.Data, dosMagic, 4) == 0) {
        struct {
            std::size_t at;
            TSection* section;
            const char* name;
        } const fields[] = {
            {4, &parts.ps, "PostScript"}, {12, &parts.wmf, "WMF preview"}, {20, &parts.tiff, "TIFF preview"}};
        for (const auto& f : fields) {
            const std::uint32_t offset = Get32LE(in.Data + f.at), length = Get32LE(in.Data + f.at + 4);
            if (auto s = Slice(in, offset, length))
                *f.section = *s;
            else if (offset != 0 || length != 0)
                parts.misplaced.push_back(std::string("The ") + f.name + " section lies outside the file");
        }
        if (!parts.ps.data && !parts.wmf.data && !parts.tiff.data) {
            error = "Damaged DOS EPS header";
            return false;
        }
        return true;
    }
    if (in.Size >= 4 && std::memcmp(in.Data, "%!", 2) == 0) {
        parts.ps = {in.Data, in.Size};
        return true;
    }
    error = "Not an EPS file";
    return false;
}

struct TBoundingBox {
    double llx = 0, lly = 0, urx = 0, ury = 0;
};

// The first %%BoundingBox comment with four numbers; "(atend)" defers to a
// later one.
std::optional<TBoundingBox> FindBoundingBox(TSection ps) {
    const std::string_view text(reinterpret_cast<const char*>(ps.data), ps.size);
    static constexpr std::string_view key = "%%BoundingBox:";
    for (std::size_t at = text.find(key); at != std::string_view::npos; at = text.find(key, at + 1)) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(at + key.size(), std::min<std::size_t>(end - at - key.size(), 200)));
        TBoundingBox b;
        char tail = 0;
        if (std::sscanf(line.c_str(), "%lf %lf %lf %lf %c", &b.llx, &b.lly, &b.urx, &b.ury, &tail) >= 4 &&
            std::isfinite(b.llx) && std::isfinite(b.lly) && std::isfinite(b.urx) && std::isfinite(b.ury))
            return b;
    }
    return std::nullopt;
}

class TTempFile {
public:
    explicit TTempFile(const char* suffix) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "pixmill-eps-XXXXXX").string() + suffix;
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        fd_ = mkstemps(buf.data(), static_cast<int>(std::strlen(suffix)));
        if (fd_ >= 0) path_ = buf.data();
    }
    ~TTempFile() {
        if (fd_ >= 0) close(fd_);
        if (!path_.empty()) unlink(path_.c_str());
    }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    bool Ok() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }
    bool Write(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            const ssize_t n = write(fd_, data, size);
            if (n <= 0) return false;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd_ = -1;
    std::string path_;
};

// Reading image data past the end of the file returns false from
// readstring and readhexstring; a complete file never does, so a truncated
// one that Ghostscript would draw in part (and end with success) says so on
// the error output. The note is written at once: EPS files run inside a
// save and restore, which would undo a flag.
constexpr const char* kEndedEarly = "pixmill: data ended early";
const std::string kPrelude =
    std::string("/readhexstring { //readhexstring exec dup not { (%stderr) (w) file (") + kEndedEarly +
    "\\n) writestring } if } bind def /readstring { //readstring exec dup not { (%stderr) (w) file (" +
    kEndedEarly + "\\n) writestring } if } bind def";

// The first "Error: ..." line Ghostscript wrote, and whether the file ended early.
struct TRenderReport {
    std::string errorLine;
    bool endedEarly = false;
};

TRenderReport ReadReport(const std::string& path) {
    TRenderReport report;
    std::ifstream f(path, std::ios::binary);
    std::string line;
    for (std::size_t read = 0; read < 65536 && std::getline(f, line); read += line.size() + 1) {
        if (line.find(kEndedEarly) != std::string::npos) report.endedEarly = true;
        if (report.errorLine.empty() && line.compare(0, 6, "Error:") == 0)
            report.errorLine = line.substr(0, 160);
    }
    return report;
}

// Runs the program with the arguments and waits at most `seconds`.
// Returns the exit status, or nullopt when it could not start or was killed.
// Its error output goes to `errorFile` (nowhere when empty).
std::optional<int> RunProgram(const std::string& program, const std::vector<std::string>& args, int seconds,
                              const std::string& errorFile, std::string& error) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.empty() ? "/dev/null" : errorFile.c_str(),
                                     O_WRONLY | O_TRUNC, 0);
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    // Our environment without GS_OPTIONS and friends, which could loosen the
    // options given here.
    std::vector<char*> env;
    for (char** e = environ; e && *e; ++e)
        if (std::strncmp(*e, "GS_", 3) != 0) env.push_back(*e);
    env.push_back(nullptr);
    pid_t pid = -1;
    const int rc = program.find('/') == std::string::npos
                       ? posix_spawnp(&pid, program.c_str(), &actions, &attr, argv.data(), env.data())
                       : posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        error = "Cannot run " + program + ": " + std::strerror(rc);
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    for (;;) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) break;
        if (r < 0 && errno != EINTR) {
            error = "Lost the rendering process";
            return std::nullopt;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(-pid, SIGKILL);
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            error = "Rendering took too long";
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!WIFEXITED(status)) {
        error = "Renderer crashed";
        return std::nullopt;
    }
    return WEXITSTATUS(status);
}

bool RenderWithGhostscript(const std::string& program, TSection ps, TFastDIB& dib, std::string& error) {
    const auto box = FindBoundingBox(ps);
    if (!box) {
        error = "EPS without a bounding box";
        return false;
    }
    const double w = std::ceil(box->urx - box->llx), h = std::ceil(box->ury - box->lly);
    if (!(w >= 1 && h >= 1 && w <= kMaxImageSide && h <= kMaxImageSide) ||
        !ImageSizeAllowed(static_cast<std::int64_t>(w), static_cast<std::int64_t>(h))) {
        error = "EPS bounding box out of range";
        return false;
    }
    const int width = static_cast<int>(w), height = static_cast<int>(h);
    TTempFile input(".eps"), output(".bmp"), messages(".txt");
    if (!input.Ok() || !output.Ok() || !messages.Ok() || !input.Write(ps.data, ps.size)) {
        error = "Cannot write temporary files";
        return false;
    }
    char translate[96];
    std::snprintf(translate, sizeof translate, "%.4f %.4f translate", -box->llx, -box->lly);
    // No anti-aliasing: crisp edges, the same pixels on every run.
    // Only the first page is kept: files that end without showpage get one
    // from the trailing procedure, files that have one stop there.
    const std::vector<std::string> args = {"-q",
                                           "-dSAFER",
                                           "-dBATCH",
                                           "-dNOPAUSE",
                                           "-dNOPROMPT",
                                           "-dLastPage=1",
                                           "-sDEVICE=bmp16m",
                                           "-r72",
                                           "-g" + std::to_string(width) + "x" + std::to_string(height),

                                           "-sOutputFile=" + output.Path(),
                                           "-c",
                                           kPrelude + " " + translate,
                                           "-f",
                                           input.Path(),
                                           "-c",
                                           "showpage"};
    const auto status = RunProgram(program, args, GhostscriptTimeout(), messages.Path(), error);
    if (!status) return false;
    const TRenderReport report = ReadReport(messages.Path());
    if (*status != 0) {
        error = report.errorLine.empty() ? "Ghostscript could not render the file"
                                         : "Ghostscript stopped with " + report.errorLine;
        return false;
    }
    if (report.endedEarly) {
        error = "The PostScript data ends early; only part of the picture was drawn";
        return false;
    }
    std::ifstream f(output.Path(), std::ios::binary);
    std::vector<std::uint8_t> bmp((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    TFastDIB result;
    if (!result.LoadFromStream(bmp) || result.Width() != width || result.Height() != height) {
        error = "Ghostscript gave no usable picture";
        return false;
    }
    dib = std::move(result);
    return true;
}

}  // namespace

void SetGhostscriptProgram(const std::string& program) {
    std::lock_guard<std::mutex> lock(ProgramMutex());
    ProgramName() = program;
}

std::string GhostscriptProgram() {
    std::lock_guard<std::mutex> lock(ProgramMutex());
    return ProgramName();
}

void SetGhostscriptTimeout(int seconds) {
    std::lock_guard<std::mutex> lock(ProgramMutex());
    TimeoutSeconds() = seconds > 0 ? seconds : 1;
}

int GhostscriptTimeout() {
    std::lock_guard<std::mutex> lock(ProgramMutex());
    return TimeoutSeconds();
}

bool DecodeEps(const TDecodeInput& in, TPicture& out, std::string& error) {
    out.Kind = TPictureKind::Raster;
    TEpsParts parts;
    if (!in.Data || !SplitEps(in, parts, error)) return false;
    for (const std::string& m : parts.misplaced) out.Warn(m);
    const std::string program = GhostscriptProgram();
    std::string renderError;
    if (parts.ps.data && !program.empty() && RenderWithGhostscript(program, parts.ps, out.Image, renderError))
        return true;
    // The preview is the whole picture, only coarser: shown, with the reason
    // the PostScript was not.
    auto fallback = [&](const char* which) {
        if (!renderError.empty())
            out.Warn(renderError + "; the " + which + " preview is shown instead");
        else if (parts.ps.data)
            out.Warn(std::string("No PostScript renderer; the ") + which + " preview is shown instead");
    };
    if (parts.tiff.data) {
        TDecodeInput preview{parts.tiff.data, parts.tiff.size, in.FileName};
        TPicture picture;
        if (DecodeTiff(preview, picture, error)) {
            out.Image = std::move(picture.Image);
            fallback("TIFF");
            return true;
        }
    }
    if (parts.wmf.data) {
        TDecodeInput preview{parts.wmf.data, parts.wmf.size, in.FileName};
        TPicture picture;
        if (DecodeMetafile(preview, picture, error)) {
            out.Image = std::move(picture.Image);
            fallback("WMF");
            return true;
        }
    }
    if (!renderError.empty())
        error = renderError;
    else if (error.empty())
        error = program.empty() ? "No EPS renderer and no preview image" : "EPS file without PostScript";
    return false;
}

}  // namespace pm
