#include "net/user_roster.h"

#include <algorithm>

#include "base/cp1251_case.h"

namespace zc {

void CUserRoster::AddOrUpdate(const std::string& id, const std::string& ip, const std::string& nickname, int mode,
                              const std::string& avatar, std::int64_t now) {
    std::string displayName = nickname;
    size_t sameAddress = 0;
    for (CUserRecord& e : entries_) {
        if (e.id == id && e.ip == ip) {  // known entries are never changed here, only heard
            e.lastHeard = now;
            return;
        }
        if (e.nickname == nickname) displayName = nickname + "(" + id + ")";
        if (e.ip == ip) ++sameAddress;
    }
    if (sameAddress >= kMaxPerAddress) {
        ++refused_;
        return;
    }
    if (entries_.size() >= kMaxUsers) {
        auto stalest = std::min_element(entries_.begin() + 1, entries_.end(), [](const CUserRecord& a, const CUserRecord& b) {
            return a.lastHeard < b.lastHeard;
        });
        ++refused_;
        if (stalest->lastHeard >= now) return;  // everyone was heard just now: the newcomer waits
        entries_.erase(stalest);
    }
    CUserRecord r;
    r.displayName = displayName;
    r.ip = ip;
    r.id = id;
    r.nickname = nickname;
    r.avatar = avatar;
    r.mode = mode;
    r.lastHeard = now;
    entries_.push_back(r);
}

bool CUserRoster::Remove(const std::string& id) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const CUserRecord& e) { return e.id == id; });
    if (it == entries_.end()) return false;
    entries_.erase(it);
    return true;
}

bool CUserRoster::Knows(const std::string& id, const std::string& ip) const {
    for (const CUserRecord& e : entries_)
        if (e.id == id && e.ip == ip) return true;
    return false;
}

const CUserRecord* CUserRoster::Find(const std::string& id) const {
    for (const CUserRecord& e : entries_)
        if (e.id == id) return &e;
    return nullptr;
}

CUserRecord* CUserRoster::FindMutable(const std::string& id) { return const_cast<CUserRecord*>(Find(id)); }

std::string CUserRoster::NameOf(const std::string& id) const {
    const CUserRecord* e = Find(id);
    if (!e) return id;
    return e->displayName.empty() ? e->nickname : e->displayName;
}

std::string CUserRoster::IpOfName(const std::string& name) const {
    for (const CUserRecord& e : entries_)
        if (e.displayName == name || e.nickname == name) return e.ip;
    return {};
}

std::string CUserRoster::IdOfName(const std::string& name) const {
    for (const CUserRecord& e : entries_)
        if (e.displayName == name || e.nickname == name) return e.id;
    return {};
}

void CUserRoster::SetMode(const std::string& id, int mode, const std::string& modeText, const std::string& avatar) {
    if (CUserRecord* e = FindMutable(id)) {
        e->mode = mode;
        e->avatar = avatar;
        e->active = 0;
        e->modeText = modeText + " ";
    }
}

void CUserRoster::SetActive(const std::string& id, int active) {
    if (CUserRecord* e = FindMutable(id)) e->active = active;
}

void CUserRoster::SetAvatar(const std::string& id, const std::string& avatar) {
    if (CUserRecord* e = FindMutable(id)) e->avatar = avatar;
}

namespace {

std::string WithoutControls(std::string text) {
    std::erase_if(text, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
    return text;
}

}  // namespace

void CUserRoster::SetSentName(const std::string& id, const std::string& name) {
    if (CUserRecord* e = FindMutable(id)) e->sentName = WithoutControls(name);
}

void CUserRoster::Rename(const std::string& id, const std::string& nickname, const std::string& sentName) {
    CUserRecord* e = FindMutable(id);
    if (!e || nickname.empty()) return;
    e->nickname = e->displayName = nickname;
    e->sentName = WithoutControls(sentName);
    for (const CUserRecord& other : entries_)
        if (&other != e && other.nickname == nickname) e->displayName = nickname + "(" + id + ")";
}

void CUserRoster::SetSentModeText(const std::string& id, const std::string& modeText) {
    if (CUserRecord* e = FindMutable(id)) e->sentModeText = WithoutControls(modeText) + " ";
}

void CUserRoster::SetGroup(const std::string& id, int group) {
    if (CUserRecord* e = FindMutable(id)) e->group = group;
}

int CUserRoster::GroupOf(size_t index) const {
    if (index >= entries_.size()) return 0;
    int g = entries_[index].group;
    return (g >= 0 && static_cast<size_t>(g) < groupNames_.size()) ? g : 0;
}

int CUserRoster::GroupIndex(const std::string& name) const {
    for (size_t i = 0; i < groupNames_.size(); ++i)
        if (groupNames_[i] == name) return static_cast<int>(i);
    // A theme may show the heading in capitals, and the page gives back what it shows.
    const std::string lower = Cp1251Lower(name);
    for (size_t i = 0; i < groupNames_.size(); ++i)
        if (Cp1251Lower(groupNames_[i]) == lower) return static_cast<int>(i);
    return kNoGroup;
}

void CUserRoster::RemoveMember(const std::string& id) {
    members_.erase(std::remove(members_.begin(), members_.end(), id), members_.end());
}

bool CUserRoster::IsMember(const std::string& id) const {
    return std::find(members_.begin(), members_.end(), id) != members_.end();
}

}  // namespace zc
