#include "base/ini_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <fstream>
#include <sstream>
#include <vector>

#include "base/cp1251.h"
#include "base/text_helpers.h"

namespace zc {
namespace {

struct IniLines {
    std::vector<std::string> lines;  // windows-1251, without line ends
    std::vector<std::string> raw;    // the same lines as the file has them
    std::string lineEnd = "\r\n";
    bool utf8 = false, bom = false;
};

constexpr char kBom[] = "\xEF\xBB\xBF";

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const std::string& s, bool& nonAscii) {
    nonAscii = false;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        size_t n;
        unsigned cp;
        if (c >= 0xC2 && c <= 0xDF) n = 1, cp = c & 0x1F;
        else if (c >= 0xE0 && c <= 0xEF) n = 2, cp = c & 0x0F;
        else if (c >= 0xF0 && c <= 0xF4) n = 3, cp = c & 0x07;
        else return false;
        for (size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size()) return false;
            const unsigned char t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

bool ReadBytes(const std::string& file, std::string& text) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::stringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

void ParseLines(std::string text, IniLines& out) {
    if (text.rfind(kBom, 0) == 0) {
        out.bom = true;
        text.erase(0, 3);
    }
    // A file a Linux editor saved is UTF-8; the settings are windows-1251 inside the program.
    bool nonAscii = false;
    out.utf8 = IsValidUtf8(text, nonAscii) && (nonAscii || out.bom);
    bool sawLf = false, sawCrLf = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end != std::string::npos) {
            sawLf = true;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
                sawCrLf = true;
            }
        }
        out.raw.push_back(line);
        out.lines.push_back(out.utf8 ? Utf8ToCp1251(line) : line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (sawLf && !sawCrLf) out.lineEnd = "\n";
}

bool LoadLines(const std::string& file, IniLines& out) {
    std::string text;
    if (!ReadBytes(file, text)) return false;
    ParseLines(std::move(text), out);
    return true;
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

// Section name when the line is a header, else nullopt-like empty with flag.
bool SectionOf(const std::string& line, std::string& name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

bool KeyOf(const std::string& line, std::string& key, std::string& value) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(line.substr(0, eq));
    if (key.empty() || key[0] == ';') return false;
    value = line.substr(eq + 1);
    return true;
}

}  // namespace

namespace {

std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string IndexKey(const std::string& section, const std::string& key) {
    return LowerAscii(section) + '\n' + LowerAscii(key);
}

// Every value of a file by section and key, the first of each as the file has it.
struct IniIndex {
    std::string bytes;
    std::unordered_map<std::string, std::string> values;
};

std::shared_ptr<const IniIndex> BuildIndex(std::string bytes) {
    auto index = std::make_shared<IniIndex>();
    IniLines ini;
    ParseLines(bytes, ini);
    index->bytes = std::move(bytes);
    std::string section;
    bool inSection = false;
    for (const std::string& line : ini.lines) {
        std::string name, k, v;
        if (SectionOf(line, name)) {
            section = name;
            inSection = true;
            continue;
        }
        if (inSection && KeyOf(line, k, v)) index->values.emplace(IndexKey(section, k), v);
    }
    return index;
}

// Settings are read every time they are needed, but a file is parsed again only when it changed:
// the same file, size and modification time, and for a file changed in the last two seconds
// (one clock tick may hold two writes) the same bytes.
class IniCache {
public:
    std::shared_ptr<const IniIndex> Get(const std::string& file) {
        struct stat st {};
        std::lock_guard<std::mutex> lock(mutex_);
        // A file that had settled when it was looked at a moment ago is taken as it was: an
        // edit from outside shows within a tenth of a second, ours at once.
        const auto now = std::chrono::steady_clock::now();
        if (auto it = entries_.find(file); it != entries_.end() && it->second.settled &&
                                           now - it->second.checkedAt < std::chrono::milliseconds(100))
            return it->second.index;
        if (::stat(file.c_str(), &st) != 0) {
            entries_.erase(file);
            return nullptr;
        }
        Entry& e = entries_[file];
        const bool sameFile = e.index && e.dev == st.st_dev && e.ino == st.st_ino && e.size == st.st_size &&
                              e.mtimeSec == st.st_mtim.tv_sec && e.mtimeNsec == st.st_mtim.tv_nsec;
        const bool settled = std::time(nullptr) - st.st_mtim.tv_sec >= 2;
        e.checkedAt = now;
        e.settled = sameFile && settled;
        if (e.settled) return e.index;
        std::string bytes;
        if (!ReadBytes(file, bytes)) {
            entries_.erase(file);
            return nullptr;
        }
        if (!e.index || e.index->bytes != bytes) e.index = BuildIndex(std::move(bytes));
        e.dev = st.st_dev;
        e.ino = st.st_ino;
        e.size = st.st_size;
        e.mtimeSec = st.st_mtim.tv_sec;
        e.mtimeNsec = st.st_mtim.tv_nsec;
        if (entries_.size() > kMaxFiles) {
            auto keep = std::move(e);
            entries_.clear();
            entries_[file] = std::move(keep);
            return entries_[file].index;
        }
        return e.index;
    }
    void Forget(const std::string& file) {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.erase(file);
    }

private:
    static constexpr size_t kMaxFiles = 64;
    struct Entry {
        std::shared_ptr<const IniIndex> index;
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        time_t mtimeSec = 0;
        long mtimeNsec = 0;
        std::chrono::steady_clock::time_point checkedAt;
        bool settled = false;
    };
    std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
};

IniCache& Cache() {
    static IniCache cache;
    return cache;
}

}  // namespace

std::string ReadIniValueLimited(const std::string& file, const std::string& section, const std::string& key,
                                size_t maxLength) {
    const std::shared_ptr<const IniIndex> index = Cache().Get(file);
    if (!index) return {};
    const auto it = index->values.find(IndexKey(section, key));
    return it == index->values.end() ? std::string() : it->second.substr(0, maxLength);
}

std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key) {
    return ReadIniValueLimited(file, section, key, 254);
}

namespace {

// The whole settings write is one read-modify-write under this lock, which the chat and the
// options editor both take: two writers of different keys never lose each other's change.
class WriteLock {
public:
    explicit WriteLock(const std::string& file)
        : fd_(::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666)) {
        // Without a lock file (a folder we may not write) the write fails on its own.
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~WriteLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

private:
    int fd_;
};

// A settings file that is a link is written where it points, so the link stays a link.
std::string LinkTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
        if (n <= 0) break;
        std::string target(buffer, static_cast<size_t>(n));
        const size_t slash = path.rfind('/');
        if (target[0] != '/' && slash != std::string::npos) target = path.substr(0, slash + 1) + target;
        path = std::move(target);
    }
    return path;
}

// Read without changing it: umask() would change it for every thread for a moment.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 022;
}

// Written under a fresh name beside the file and renamed over it: a failed write never leaves
// half a file, and nothing left at a fixed name (a stale file, someone's link) is ever opened.
bool ReplaceFile(const std::string& file, const std::string& text, bool existed, mode_t mode) {
    const size_t slash = file.rfind('/');
    std::string temp = slash == std::string::npos ? "." + file + ".XXXXXX"
                                                  : file.substr(0, slash + 1) + "." + file.substr(slash + 1) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, existed ? (mode & 07777) : (0666 & ~CurrentUmask())) == 0;
    for (size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), file.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool UpdateIniValue(const std::string& file, const std::string& section, const std::string& key,
                    const std::function<std::string(const std::string&)>& change) {
    const std::string target = LinkTarget(file);
    WriteLock lock(target);
    IniLines ini;
    struct stat st {};
    const bool existed = LoadLines(target, ini) && ::stat(target.c_str(), &st) == 0;
    if (existed && !ini.lines.empty() && ini.lines.back().empty()) {  // final line end
        ini.lines.pop_back();
        ini.raw.pop_back();
    }
    auto insertAt = [&](long at, const std::string& line, const std::string& raw) {
        ini.lines.insert(ini.lines.begin() + at, line);
        ini.raw.insert(ini.raw.begin() + at, raw);
    };

    bool inSection = false;
    long keyAt = -1;       // the key's line
    long sectionEnd = -1;  // index after the last line of the wanted section
    std::string current;
    for (size_t i = 0; i < ini.lines.size() && keyAt < 0; ++i) {
        std::string name, k, v;
        if (SectionOf(ini.lines[i], name)) {
            inSection = EqualsNoCase(name, section);
            if (inSection) sectionEnd = static_cast<long>(i) + 1;
            continue;
        }
        if (!inSection) continue;
        if (KeyOf(ini.lines[i], k, v) && EqualsNoCase(k, key)) {
            keyAt = static_cast<long>(i);
            current = v;
        } else if (!Trim(ini.lines[i]).empty()) {
            sectionEnd = static_cast<long>(i) + 1;
        }
    }
    const std::string value = change(current);
    const bool erase = value.empty();
    const std::string newLine = key + "=" + value;
    // A UTF-8 file stays UTF-8; the lines we do not touch keep their bytes.
    const std::string newRaw = ini.utf8 ? Cp1251ToUtf8(newLine) : newLine;
    if (keyAt >= 0 && erase) {
        ini.lines.erase(ini.lines.begin() + keyAt);
        ini.raw.erase(ini.raw.begin() + keyAt);
    } else if (keyAt >= 0) {
        ini.lines[keyAt] = newLine;
        ini.raw[keyAt] = newRaw;
    } else if (erase) {
        return true;
    } else if (sectionEnd < 0) {
        const std::string header = "[" + section + "]";
        const long end = static_cast<long>(ini.lines.size());
        insertAt(end, header, ini.utf8 ? Cp1251ToUtf8(header) : header);
        insertAt(end + 1, newLine, newRaw);
    } else {
        insertAt(sectionEnd, newLine, newRaw);
    }
    std::string text = ini.bom ? kBom : "";
    for (const std::string& line : ini.raw) text += line + ini.lineEnd;
    // Which code page a file is read in follows its bytes: when this write would make a
    // windows-1251 file pass for UTF-8, the other values would read differently, so it is
    // written as UTF-8 instead.
    if (bool nonAscii = false; !ini.utf8 && IsValidUtf8(text, nonAscii) && nonAscii) {
        text = ini.bom ? kBom : "";
        for (const std::string& line : ini.lines) text += Cp1251ToUtf8(line) + ini.lineEnd;
    }
    const bool written = ReplaceFile(target, text, existed, st.st_mode);
    Cache().Forget(file);
    Cache().Forget(target);
    return written;
}

bool WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) {
    return UpdateIniValue(file, section, key, [&value](const std::string&) { return value; });
}

std::string ValueOrDefault(const std::string& value, const std::string& fallback) {
    if (value.empty() || value == " ") return fallback;
    return value;
}

}  // namespace zc
