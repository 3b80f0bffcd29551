#include "doctor/doctor_report.h"

#include "base/cp1251.h"

namespace zc::doctor {

CheckLine Ok(std::string check, std::string text) { return {Verdict::Ok, std::move(check), std::move(text), {}, {}}; }

CheckLine Warn(std::string check, std::string text, std::string advice) {
    return {Verdict::Warn, std::move(check), std::move(text), std::move(advice), {}};
}

CheckLine Fail(std::string check, std::string text, std::string advice) {
    return {Verdict::Fail, std::move(check), std::move(text), std::move(advice), {}};
}

std::string FormatLine(const CheckLine& line) {
    static const char* const kNames[] = {"[ok] ", "[warn] ", "[fail] "};
    std::string out = kNames[static_cast<int>(line.verdict)] + line.check + ": " + line.text;
    if (!line.advice.empty()) out += " - " + line.advice;
    for (const std::string& detail : line.details) out += "\n       " + detail;
    return out;
}

bool ChatWorks(const std::vector<CheckLine>& lines) {
    for (const CheckLine& line : lines)
        if (line.verdict == Verdict::Fail) return false;
    return true;
}

std::string PrintableText(const std::string& cp1251, size_t maxChars) {
    std::string kept;
    for (unsigned char c : cp1251) {
        // 0x98 is the one byte windows-1251 leaves undefined.
        if (c < 0x20 || c == 0x7f || c == 0x98) continue;
        kept += static_cast<char>(c);
    }
    if (kept.size() > maxChars) kept = kept.substr(0, maxChars) + "...";
    // One byte is one character in windows-1251, so the cut never splits one.
    return Cp1251ToUtf8(kept);
}

}  // namespace zc::doctor
