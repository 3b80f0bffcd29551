#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace zc {

// One stored message as its file reads.
struct BoardPost {
    bool readable = false;
    long long created = 0;  // CreateTime
    std::string life;       // the TimeLife text
    int category = 4;
    std::string author, ip, date;  // the lines after <UserName>, <IP>, <MessageDate>
    bool hasAuthor = false, hasDate = false;
    std::vector<std::string> body;
    std::string senderId;  // the identity that delivered it, while this run knows it
    std::uintmax_t size = 0;
    std::int64_t modified = 0;  // nanoseconds
    std::uint64_t version = 0;  // changes whenever the content does
};

// Who a peer's board packet comes from: the datagram's address, the name and identity it
// carries, and whether that identity is known at that address.
struct BoardSender {
    std::string ip, name, id;
    bool fromOwner = true;
};

enum class BoardAdmission {
    Stored,
    NotAName,        // the file name is no board name
    FarFromItsName,  // CreateTime more than a day from the name
    Expired,         // dated too far ahead, or past its life already
    NotTheSenders,   // its name and address lines are not the sender's
    NotTheOwner,     // a message of that name is somebody else's, or the identity is at another address
    AddressFull,     // the address has kMaxBoardPostsPerAddress messages here
    NotWritten,
};
// Why a message was refused, for the log.
std::string BoardAdmissionText(BoardAdmission a);

// The board folder as this copy knows it. The folder is read once; after that every change we
// make goes through here, so a packet costs the same however many messages are stored, and only
// the page build looks at the folder again for files changed behind our back. A message belongs
// to the name and address its file carries and, once it came here in this run, to the identity
// that sent it: only that sender may replace or delete it.
class BoardIndex {
public:
    using TimeOrder = std::set<std::pair<long long, std::string>>;  // created, name

    // A message from a peer (commands 16 and 31), checked and stored.
    BoardAdmission Admit(const std::string& name, const std::string& content, const BoardSender& from, long long now,
                         int defaultDays);
    // A peer deletes a message: only its owner does. True when a file went.
    bool DeleteFrom(const std::string& name, const BoardSender& from);
    // The local user wrote or deleted a message.
    void Saved(const std::string& name, const std::string& content);
    bool Remove(const std::string& name);

    // Keeps the board within kMaxBoardFiles and kMaxBoardBytes: peers' copies go oldest first by
    // their time, the messages of userName at ip only when nothing else is left. How many went.
    size_t Trim(const std::string& userName, const std::string& ip);
    // Names of the messages of userName at ip, each followed by ";".
    std::string OwnNames(const std::string& userName, const std::string& ip);
    // Looks at the folder: new or changed files are read, vanished ones forgotten.
    void Refresh();

    const BoardPost* Find(const std::string& name);
    // Every message, oldest first.
    const TimeOrder& ByTime();
    size_t PostsAt(const std::string& ip);
    size_t Files() const { return posts_.size(); }
    std::uintmax_t Bytes() const { return bytes_; }
    // Files read from the folder since the index was made.
    size_t FilesRead() const { return filesRead_; }
    // True from the Trim that found the board over its limits until it is well below them again.
    bool Full() const { return full_; }

private:
    void Load();
    bool Owns(const BoardPost& post, const BoardSender& from) const;
    // Takes a post under name, replacing what was there.
    void Put(const std::string& name, BoardPost post);
    void Forget(const std::string& name);
    void Stamp(const std::string& name, BoardPost& post) const;

    std::map<std::string, BoardPost> posts_;
    TimeOrder byTime_;
    std::map<std::string, size_t> perIp_;
    std::uintmax_t bytes_ = 0;
    std::uint64_t versions_ = 0;
    size_t filesRead_ = 0;
    bool loaded_ = false, full_ = false;
};

// A message's fields from its lines; readable is left as it was.
void FillBoardPost(const std::vector<std::string>& lines, BoardPost& post);

}  // namespace zc
