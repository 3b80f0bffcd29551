#include "options/options_groups.h"

#include "base/cp1251.h"
#include "base/text_helpers.h"
#include "options/options_network.h"
#include "options/options_store.h"

namespace zc {
namespace {
std::string NameKey(size_t row) { return "GROUP" + std::to_string(row); }
std::string RangeKey(size_t row) { return "GROUP" + std::to_string(row + 1) + "MASK"; }
}  // namespace

GroupValues LoadGroups(const std::string& p) {
    GroupValues v;
    v.on = ParseInt(ReadText(p, "GROUPS", "GROUPON")) != 0;
    for (size_t i = 0; i < kGroupRows; ++i) {
        v.names[i] = ReadText(p, "GROUPS", NameKey(i));
        v.ranges[i] = ReadText(p, "GROUPS", RangeKey(i));
    }
    return v;
}

bool SaveGroups(const std::string& p, const GroupValues& a, const GroupValues& b, std::string& flags) {
    bool ok = true, changed = false;
    auto put = [&](const std::string& key, const std::string& was, const std::string& now) {
        if (was == now) return;
        ok = WriteText(p, "GROUPS", key, now) && ok;
        changed = true;
    };
    put("GROUPON", a.on ? "1" : "0", b.on ? "1" : "0");
    for (size_t i = 0; i < kGroupRows; ++i) {
        put(NameKey(i), a.names[i], b.names[i]);
        put(RangeKey(i), a.ranges[i], b.ranges[i]);
    }
    if (changed) flags += "IGROUP;";
    return ok;
}

bool IsGroupName(const std::string& utf8) {
    if (utf8.empty()) return true;
    return FitsCodePage(utf8) && Utf8ToCp1251(utf8).size() >= 2 && Utf8ToCp1251(utf8).size() <= 254;
}

bool IsGroupRange(const std::string& text) {
    if (text.empty()) return true;
    const size_t dash = text.find('-');
    return dash != std::string::npos && IsIpv4Text(text.substr(0, dash)) && IsIpv4Text(text.substr(dash + 1));
}

GroupProblem CheckGroups(const GroupValues& v, size_t& row) {
    bool gap = false;
    for (row = 0; row < kGroupRows; ++row) {
        const bool named = !v.names[row].empty();
        if (!IsGroupName(v.names[row]) || (named && gap)) return GroupProblem::Name;
        if (!IsGroupRange(v.ranges[row]) || (!named && !v.ranges[row].empty())) return GroupProblem::Range;
        gap = gap || !named;
    }
    return GroupProblem::None;
}

}  // namespace zc
