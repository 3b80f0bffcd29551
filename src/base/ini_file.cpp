#include "base/ini_file.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
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

bool WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) {
    IniLines ini;
    bool existed = LoadLines(file, ini);
    if (existed && !ini.lines.empty() && ini.lines.back().empty()) {  // final line end
        ini.lines.pop_back();
        ini.raw.pop_back();
    }
    const bool erase = value.empty();
    const std::string newLine = key + "=" + value;
    // A UTF-8 file stays UTF-8; the lines we do not touch keep their bytes.
    const std::string newRaw = ini.utf8 ? Cp1251ToUtf8(newLine) : newLine;
    auto insertAt = [&](long at, const std::string& line, const std::string& raw) {
        ini.lines.insert(ini.lines.begin() + at, line);
        ini.raw.insert(ini.raw.begin() + at, raw);
    };

    bool inSection = false, done = false;
    long sectionEnd = -1;  // index after the last line of the wanted section
    for (size_t i = 0; i < ini.lines.size() && !done; ++i) {
        std::string name, k, v;
        if (SectionOf(ini.lines[i], name)) {
            inSection = EqualsNoCase(name, section);
            if (inSection) sectionEnd = static_cast<long>(i) + 1;
            continue;
        }
        if (!inSection) continue;
        if (KeyOf(ini.lines[i], k, v) && EqualsNoCase(k, key)) {
            if (erase) {
                ini.lines.erase(ini.lines.begin() + static_cast<long>(i));
                ini.raw.erase(ini.raw.begin() + static_cast<long>(i));
            } else {
                ini.lines[i] = newLine;
                ini.raw[i] = newRaw;
            }
            done = true;
        } else if (!Trim(ini.lines[i]).empty()) {
            sectionEnd = static_cast<long>(i) + 1;
        }
    }
    if (!done) {
        if (erase) return true;
        if (sectionEnd < 0) {
            const std::string header = "[" + section + "]";
            const long end = static_cast<long>(ini.lines.size());
            insertAt(end, header, ini.utf8 ? Cp1251ToUtf8(header) : header);
            insertAt(end + 1, newLine, newRaw);
        } else {
            insertAt(sectionEnd, newLine, newRaw);
        }
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

    // Write beside and rename, so a failed write never leaves half a file.
    const std::string temp = file + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << text;
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            return false;
        }
    }
    Cache().Forget(file);
    if (std::rename(temp.c_str(), file.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

std::string ValueOrDefault(const std::string& value, const std::string& fallback) {
    if (value.empty() || value == " ") return fallback;
    return value;
}

}  // namespace zc
