#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zc {

struct CUserRecord {
    std::string displayName;
    std::string modeText;  // the mode text followed by one blank
    std::string ip;
    std::string id;
    std::string nickname;
    std::string avatar;
    int group = 0;
    int active = 0;
    int mode = 1;
    std::int64_t lastHeard = 0;
    // The name and mode text as a peer sent them, control characters removed: the user list
    // escapes these itself. Empty for the local user's record, whose texts are not cleaned.
    std::string sentName;
    std::string sentModeText;  // followed by one blank, as modeText
};

inline constexpr int kNoGroup = 10000;

// The users seen on the network since the last refresh, the local user included. Both lists
// have a cap, so a flood of made-up senders costs bounded memory and time; one address holds
// only a few identities, and in a full list the user heard least recently makes room.
class CUserRoster {
public:
    static constexpr size_t kMaxUsers = 4096;
    static constexpr size_t kMaxMembers = 64;
    // Several copies on one machine (a terminal server) each have an identity of their own.
    static constexpr size_t kMaxPerAddress = 16;

    // A new user from an address that already holds kMaxPerAddress identities is left out (and
    // counted); in a full list the stalest entry other than the first (ours) is replaced.
    void AddOrUpdate(const std::string& id, const std::string& ip, const std::string& nickname, int mode,
                     const std::string& avatar, std::int64_t now = 0);
    bool Remove(const std::string& id);
    // Whether an entry of this identity and address is there (AddOrUpdate then changes nothing).
    bool Knows(const std::string& id, const std::string& ip) const;
    void Clear() {
        entries_.clear();
        refused_ = 0;
    }
    // New users left out (or pushed out) since the last refresh.
    size_t Refused() const { return refused_; }
    std::string NameOf(const std::string& id) const;
    std::string IpOfName(const std::string& name) const;
    // Identity of the first entry shown or known under that name; empty when none.
    std::string IdOfName(const std::string& name) const;
    void SetMode(const std::string& id, int mode, const std::string& modeText, const std::string& avatar);
    void SetActive(const std::string& id, int active);
    void SetAvatar(const std::string& id, const std::string& avatar);
    void SetSentName(const std::string& id, const std::string& name);
    // A user who took another name: the entry follows at once, so the name is usable right away.
    void Rename(const std::string& id, const std::string& nickname, const std::string& sentName);
    void SetSentModeText(const std::string& id, const std::string& modeText);
    void SetGroup(const std::string& id, int group);
    int GroupOf(size_t index) const;
    // Case is ignored when no name matches exactly; kNoGroup when none matches at all.
    int GroupIndex(const std::string& name) const;
    const CUserRecord* Find(const std::string& id) const;

    void AddMember(const std::string& id) {
        if (members_.size() < kMaxMembers) members_.push_back(id);
    }
    void RemoveMember(const std::string& id);
    bool IsMember(const std::string& id) const;
    const std::vector<std::string>& Members() const { return members_; }

    void SetGroupNames(std::vector<std::string> names) { groupNames_ = std::move(names); }
    const std::vector<std::string>& GroupNames() const { return groupNames_; }
    const std::vector<CUserRecord>& Entries() const { return entries_; }

private:
    CUserRecord* FindMutable(const std::string& id);
    std::vector<CUserRecord> entries_;
    std::vector<std::string> groupNames_;
    std::vector<std::string> members_;
    size_t refused_ = 0;
};

}  // namespace zc
