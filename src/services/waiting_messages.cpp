#include "services/waiting_messages.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zc {
namespace {

// One record a line, fields split by tabs; tabs, line ends and backslashes inside escaped.
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\t') out += "\\t";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string f; std::getline(in, f, '\t');) fields.push_back(Unescape(f));
    return fields;
}

std::int64_t Number(const std::string& text) {
    try {
        return std::stoll(text);
    } catch (...) {
        return -1;
    }
}

}  // namespace

void WaitingMessages::Open(const std::string& path) {
    path_ = path;
    messages_.clear();
    known_.clear();
    nextNumber_ = 1;
    Load();
}

void WaitingMessages::Load() {
    std::ifstream in(path_, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> f = Fields(line);
        if (f.size() == 5 && f[0] == "K" && known_.size() < kKnownUsers) {
            known_.push_back({f[1], f[2], f[4], Number(f[3])});
        } else if (f.size() == 9 && f[0] == "M" && messages_.size() < kTotal) {
            WaitingMessage m;
            m.number = static_cast<int>(std::clamp<std::int64_t>(Number(f[1]), 0, 1 << 30));
            m.id = f[2];
            m.ip = f[3];
            m.alert = f[4] == "1";
            m.written = Number(f[5]);
            // One whose arrival was still unknown at the last exit waits (unconfirmedSince stays
            // 0): better twice, marked as late, than never.
            m.name = f[7];
            m.text = f[8].substr(0, kMaxText);
            if (m.number <= 0 || m.id.empty() || m.written < 0) continue;
            nextNumber_ = std::max(nextNumber_, m.number + 1);
            messages_.push_back(std::move(m));
        }
    }
    Reindex();
}

bool WaitingMessages::Save() {
    if (path_.empty()) return true;
    std::ostringstream out;
    for (const KnownUser& k : known_)
        out << "K\t" << Escape(k.id) << '\t' << Escape(k.ip) << '\t' << k.seen << '\t' << Escape(k.name) << '\n';
    for (const WaitingMessage& m : messages_)
        out << "M\t" << m.number << '\t' << Escape(m.id) << '\t' << Escape(m.ip) << '\t' << (m.alert ? 1 : 0) << '\t'
            << m.written << '\t' << m.unconfirmedSince << '\t' << Escape(m.name) << '\t' << Escape(m.text) << '\n';
    // Written beside and renamed over, so a crash leaves the old file or the new one.
    const std::string temp = path_ + ".new";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file << out.str();
        if (!file.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path_, ec);
    if (!ec) changed_ = false;
    return !ec;
}

void WaitingMessages::Reindex() {
    waitingIds_.clear();
    for (const WaitingMessage& m : messages_) ++waitingIds_[m.id];
}

WaitingMessages::Kept WaitingMessages::Keep(const KnownUser& to, bool alert, std::int64_t now, const std::string& text,
                                            std::int64_t unconfirmedSince) {
    if (messages_.size() >= kTotal) return Kept::Full;
    auto it = waitingIds_.find(to.id);
    if (it != waitingIds_.end() && static_cast<size_t>(it->second) >= kPerRecipient) return Kept::RecipientFull;
    WaitingMessage m;
    m.number = nextNumber_++;
    m.id = to.id;
    m.ip = to.ip;
    m.name = to.name;
    m.alert = alert;
    m.written = now;
    m.text = text.substr(0, kMaxText);
    m.unconfirmedSince = unconfirmedSince;
    messages_.push_back(std::move(m));
    ++waitingIds_[to.id];
    Save();
    return Kept::Yes;
}

std::vector<WaitingMessage> WaitingMessages::TakeFor(const std::string& id, const std::string& ip) {
    std::vector<WaitingMessage> due;
    if (!HasFor(id)) return due;
    const auto before = messages_.size();
    std::erase_if(messages_, [&](WaitingMessage& m) {
        if (m.id != id || m.ip != ip) return false;
        // One sent while it was listed has arrived after all: nothing to deliver again.
        if (m.unconfirmedSince == 0) due.push_back(std::move(m));
        return true;
    });
    if (messages_.size() != before) {
        Reindex();
        Save();
    }
    return due;
}

std::vector<WaitingMessage> WaitingMessages::ConfirmGone(std::int64_t before) {
    std::vector<WaitingMessage> gone;
    for (WaitingMessage& m : messages_)
        if (m.unconfirmedSince != 0 && m.unconfirmedSince <= before) {
            m.unconfirmedSince = 0;
            gone.push_back(m);
        }
    if (!gone.empty()) Save();
    return gone;
}

bool WaitingMessages::Cancel(int number) {
    const auto before = messages_.size();
    std::erase_if(messages_, [number](const WaitingMessage& m) { return m.number == number; });
    if (messages_.size() == before) return false;
    Reindex();
    Save();
    return true;
}

std::vector<WaitingMessage> WaitingMessages::Expire(std::int64_t now, int days) {
    std::vector<WaitingMessage> old;
    std::erase_if(messages_, [&](WaitingMessage& m) {
        if (now - m.written < static_cast<std::int64_t>(days) * 86400) return false;
        old.push_back(std::move(m));
        return true;
    });
    if (!old.empty()) {
        Reindex();
        Save();
    }
    return old;
}

void WaitingMessages::Moved(const std::string& id, const std::string& from, const std::string& to) {
    bool changed = false;
    for (WaitingMessage& m : messages_)
        if (m.id == id && m.ip == from) m.ip = to, changed = true;
    for (KnownUser& k : known_)
        if (k.id == id && k.ip == from) k.ip = to, changed = true;
    if (changed) Save();
}

void WaitingMessages::Seen(const std::string& id, const std::string& ip, const std::string& name, std::int64_t now) {
    if (id.empty() || name.empty()) return;
    auto it = std::find_if(known_.begin(), known_.end(), [&](const KnownUser& k) { return k.id == id; });
    if (it != known_.end()) {
        it->seen = now;
        // An identity heard from a new address is not believed here: the chat tells Moved.
        if (it->name == name) return;
        it->name = name;
    } else {
        if (known_.size() >= kKnownUsers)
            known_.erase(std::min_element(known_.begin(), known_.end(),
                                          [](const KnownUser& a, const KnownUser& b) { return a.seen < b.seen; }));
        known_.push_back({id, ip, name, now});
    }
    changed_ = true;
}

const KnownUser* WaitingMessages::KnownByName(const std::string& name) const {
    // The oldest acquaintance of that name: a newcomer taking the name cannot take its mail.
    for (const KnownUser& k : known_)
        if (k.name == name) return &k;
    return nullptr;
}

}  // namespace zc
