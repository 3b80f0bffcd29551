#include "services/board_index.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

#include "base/text_helpers.h"
#include "services/board_store.h"

namespace zc {
namespace {

namespace fs = std::filesystem;

std::string PathOf(const std::string& name) { return std::string(kBoardFolder) + "/" + name; }

}  // namespace

std::string BoardAdmissionText(BoardAdmission a) {
    switch (a) {
        case BoardAdmission::Stored: return "stored";
        case BoardAdmission::NotAName: return "not a board file name";
        case BoardAdmission::FarFromItsName: return "its name is not its creation time";
        case BoardAdmission::Expired: return "dated outside its life";
        case BoardAdmission::NotTheSenders: return "written in another user's name or address";
        case BoardAdmission::NotTheOwner: return "a message of that name is another user's";
        case BoardAdmission::AddressFull:
            return "the address has " + std::to_string(kMaxBoardPostsPerAddress) + " messages stored already";
        case BoardAdmission::NotWritten: return "not written";
    }
    return {};
}

void FillBoardPost(const std::vector<std::string>& lines, BoardPost& post) {
    post.created = ParseInt(BoardTagValue(lines, "CreateTime"));
    post.life = BoardTagValue(lines, "TimeLife");
    bool category = false, ip = false;
    // The first of each tag counts, and a value line is never read as a tag.
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line == "<MessageBody>") {
            post.body.assign(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, lines.end());
            return;
        }
        if (i + 1 >= lines.size()) break;
        const std::string& value = lines[i + 1];
        if (line == "<MessageCategory>" && !category) {
            post.category = ParseInt(value);
            if (post.category < 1 || post.category > 4) post.category = 4;
            category = true;
        } else if (line == "<UserName>" && !post.hasAuthor) {
            post.author = value;
            post.hasAuthor = true;
        } else if (line == "<IP>" && !ip) {
            post.ip = value;
            ip = true;
        } else if (line == "<MessageDate>" && !post.hasDate) {
            post.date = value;
            post.hasDate = true;
        } else {
            continue;
        }
        ++i;
    }
}

void BoardIndex::Load() {
    if (loaded_) return;
    loaded_ = true;
    Refresh();
}

void BoardIndex::Refresh() {
    loaded_ = true;
    std::set<std::string> seen;
    std::error_code ec;
    for (fs::directory_iterator it(kBoardFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code e;
        if (!IsBoardFileName(name) || !it->is_regular_file(e)) continue;
        BoardPost post;
        Stamp(name, post);
        seen.insert(name);
        auto known = posts_.find(name);
        if (known != posts_.end() && known->second.readable && known->second.size == post.size &&
            known->second.modified == post.modified)
            continue;
        std::vector<std::string> lines;
        ++filesRead_;
        if (ReadBoardLines(PathOf(name), lines)) {
            post.readable = true;
            FillBoardPost(lines, post);
        }
        Put(name, std::move(post));
    }
    for (auto it = posts_.begin(); it != posts_.end();) {
        const std::string name = (it++)->first;
        if (!seen.count(name)) Forget(name);
    }
    // Well below the limits again: the next time they bite is worth a log line.
    if (posts_.size() < kMaxBoardFiles * 9 / 10 && bytes_ < kMaxBoardBytes / 10 * 9) full_ = false;
}

void BoardIndex::Stamp(const std::string& name, BoardPost& post) const {
    struct stat st {};
    if (::stat(PathOf(name).c_str(), &st) != 0) return;
    post.size = static_cast<std::uintmax_t>(st.st_size);
    post.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

void BoardIndex::Put(const std::string& name, BoardPost post) {
    Forget(name);
    post.version = ++versions_;
    byTime_.emplace(post.created, name);
    ++perIp_[post.ip];
    bytes_ += post.size;
    posts_.emplace(name, std::move(post));
}

void BoardIndex::Forget(const std::string& name) {
    auto it = posts_.find(name);
    if (it == posts_.end()) return;
    const BoardPost& post = it->second;
    byTime_.erase({post.created, name});
    auto ip = perIp_.find(post.ip);
    if (ip != perIp_.end() && --ip->second == 0) perIp_.erase(ip);
    bytes_ -= post.size;
    posts_.erase(it);
}

bool BoardIndex::Owns(const BoardPost& post, const BoardSender& from) const {
    return from.fromOwner && post.ip == from.ip && post.author == from.name &&
           (post.senderId.empty() || post.senderId == from.id);
}

BoardAdmission BoardIndex::Admit(const std::string& name, const std::string& content, const BoardSender& from,
                                 long long now, int defaultDays) {
    if (!IsBoardFileName(name)) return BoardAdmission::NotAName;
    if (!from.fromOwner) return BoardAdmission::NotTheOwner;
    BoardPost post;
    FillBoardPost(SplitBoardLines(content), post);
    if (std::llabs(post.created - BoardNameSeconds(name)) > kBoardClockSkew) return BoardAdmission::FarFromItsName;
    if (BoardMessageExpired(now, post.created, post.life, defaultDays)) return BoardAdmission::Expired;
    if (post.ip != from.ip || post.author != from.name) return BoardAdmission::NotTheSenders;
    Load();
    auto known = posts_.find(name);
    if (known != posts_.end() && !Owns(known->second, from)) return BoardAdmission::NotTheOwner;
    if (known == posts_.end() && PostsAt(from.ip) >= kMaxBoardPostsPerAddress) return BoardAdmission::AddressFull;
    if (!WriteBoardFile(name, content)) return BoardAdmission::NotWritten;
    post.readable = true;
    post.senderId = from.id;
    Stamp(name, post);
    Put(name, std::move(post));
    return BoardAdmission::Stored;
}

bool BoardIndex::DeleteFrom(const std::string& name, const BoardSender& from) {
    const BoardPost* post = Find(name);
    return post && Owns(*post, from) && Remove(name);
}

void BoardIndex::Saved(const std::string& name, const std::string& content) {
    Load();
    BoardPost post;
    FillBoardPost(SplitBoardLines(content), post);
    post.readable = true;
    Stamp(name, post);
    Put(name, std::move(post));
}

bool BoardIndex::Remove(const std::string& name) {
    Load();
    std::error_code ec;
    const bool removed = fs::remove(PathOf(name), ec);
    Forget(name);
    return removed;
}

size_t BoardIndex::Trim(const std::string& userName, const std::string& ip) {
    Load();
    auto over = [this] { return posts_.size() > kMaxBoardFiles || bytes_ > kMaxBoardBytes; };
    if (!over()) return 0;
    full_ = true;
    size_t removed = 0;
    for (bool ownToo : {false, true}) {
        for (auto it = byTime_.begin(); over() && it != byTime_.end();) {
            const std::string name = (it++)->second;
            const BoardPost& post = posts_.at(name);
            if (!ownToo && post.author == userName && post.ip == ip) continue;
            Remove(name);
            ++removed;
        }
    }
    return removed;
}

std::string BoardIndex::OwnNames(const std::string& userName, const std::string& ip) {
    Load();
    std::string list;
    for (const auto& [name, post] : posts_)
        if (post.readable && post.author == userName && post.ip == ip) list += name + ";";
    return list;
}

const BoardPost* BoardIndex::Find(const std::string& name) {
    Load();
    auto it = posts_.find(name);
    return it == posts_.end() ? nullptr : &it->second;
}

const BoardIndex::TimeOrder& BoardIndex::ByTime() {
    Load();
    return byTime_;
}

size_t BoardIndex::PostsAt(const std::string& ip) {
    Load();
    auto it = perIp_.find(ip);
    return it == perIp_.end() ? 0 : it->second;
}

}  // namespace zc
