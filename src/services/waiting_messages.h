#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zc {

// Somebody we have met: the identity, the address it spoke from and the name it used.
struct KnownUser {
    std::string id, ip, name;
    std::int64_t seen = 0;
};

// A private message or alert kept for a user who is away, for that identity at that address.
struct WaitingMessage {
    int number = 0;  // the user cancels it by this
    std::string id, ip, name;
    bool alert = false;
    std::int64_t written = 0;
    std::string text;
    // Sent to a listed user we had not heard from for a while: kept until that user is heard
    // again (then it arrived and is dropped) or is found gone (then it waits).
    std::int64_t unconfirmedSince = 0;
};

// The messages waiting for their readers and the users we could write to, in one file of the
// profile that survives restarts. Every bound holds whatever peers send.
class WaitingMessages {
public:
    static constexpr size_t kPerRecipient = 20;
    static constexpr size_t kTotal = 200;
    static constexpr size_t kKnownUsers = 256;
    static constexpr size_t kMaxText = 4096;

    // An empty path keeps everything in memory only.
    void Open(const std::string& path);

    enum class Kept { Yes, RecipientFull, Full };
    Kept Keep(const KnownUser& to, bool alert, std::int64_t now, const std::string& text,
              std::int64_t unconfirmedSince = 0);

    bool HasFor(const std::string& id) const { return waitingIds_.count(id) > 0; }
    // The messages for that identity at that address, oldest first, taken out of the store.
    std::vector<WaitingMessage> TakeFor(const std::string& id, const std::string& ip);
    // Unconfirmed messages to that identity turned into waiting ones once it is found gone.
    std::vector<WaitingMessage> ConfirmGone(std::int64_t before);
    bool Cancel(int number);
    // Messages older than days: taken out and returned, so the writer can be told.
    std::vector<WaitingMessage> Expire(std::int64_t now, int days);
    // The identity now speaks from another address, as the chat accepted.
    void Moved(const std::string& id, const std::string& from, const std::string& to);
    const std::vector<WaitingMessage>& All() const { return messages_; }
    // How many days a message may wait (the profile's choice, 1 to 365).
    int Days() const { return days_; }
    void SetDays(int days) { days_ = days < 1 ? 1 : days > 365 ? 365 : days; }

    // Remembers a user, in memory: what strangers send never writes to the disk by itself. The
    // file follows with the next kept message or SaveIfChanged (at exit).
    void Seen(const std::string& id, const std::string& ip, const std::string& name, std::int64_t now);
    // The user we first met under that name, or null.
    const KnownUser* KnownByName(const std::string& name) const;

    // False when the file could not be written; the messages stay in memory.
    bool Save();
    bool SaveIfChanged() { return !changed_ || Save(); }

private:
    void Load();
    void Reindex();

    std::string path_;
    std::vector<WaitingMessage> messages_;
    std::vector<KnownUser> known_;
    std::map<std::string, int> waitingIds_;
    int nextNumber_ = 1;
    int days_ = 7;
    bool changed_ = false;
};

}  // namespace zc
