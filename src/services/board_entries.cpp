#include "services/board_entries.h"

#include <array>

#include "platform/clock.h"
#include "services/board_store.h"

namespace zc {

std::string BoardEntries::Build(const std::string& name, const BoardPost& post, const BoardEntryFormat& f) {
    ++built_;
    const std::string author = post.hasAuthor ? f.convert(post.author) : std::string();
    const std::string dateSpan =
        post.hasDate ? "<span class=\"time\">" + f.convert(post.date) + "</span><br>" : std::string();
    std::string body;
    for (const std::string& line : post.body) body += f.markup(f.convert(line)) + "<br>";
    const std::string colour = f.colour(author);
    std::string entry =
        "<table height=1 width=\"100%\" border=0><tr valign=top><td width=10% nowrap>" + dateSpan +
        f.nameSpan(author) + "<br>" + "</td><td>" +
        "<table align=right border=\"0\" cellspacing=\"0\" cellpadding=\"0\">" + "<tr><td id=\"" + kBoardWirePrefix +
        name + "\" title=\"" + f.deleteTitle + "\" class=\"deletemessage\" scope=\"row\">X</td></tr></table>" +
        (colour.empty() ? "<span class=\"message\">" : "<span class=\"message\" style=\"color:" + colour + "\">") +
        body + "</span><br><br>" + "</td></tr></table>\n";
    return f.link ? f.link(entry) : entry;
}

std::string BoardEntries::Rows(BoardIndex& index, const BoardEntryFormat& f) {
    index.Refresh();
    if (f.key != key_ || f.key.empty()) {
        cache_.clear();
        key_ = f.key;
    }
    const long long now = f.clock.Now();
    std::vector<std::string> expired;
    for (const auto& [created, name] : index.ByTime()) {
        const BoardPost& post = *index.Find(name);
        if (post.readable && BoardMessageExpired(now, post.created, post.life, f.defaultDays)) expired.push_back(name);
    }
    for (const std::string& name : expired) index.Remove(name);

    // A file that cannot be read is left out; the others are still shown.
    std::array<std::vector<const std::string*>, 4> rows;
    ++pass_;
    for (const auto& [created, name] : index.ByTime()) {
        const BoardPost& post = *index.Find(name);
        if (!post.readable) continue;
        Entry& entry = cache_[name];
        if (entry.version != post.version) entry = {post.version, 0, Build(name, post, f)};  // new or changed
        entry.pass = pass_;
        rows[static_cast<size_t>(post.category - 1)].push_back(&entry.html);
    }
    size_t size = 100;
    for (const auto& row : rows)
        for (const std::string* e : row) size += e->size();
    std::string html;
    html.reserve(size);  // one allocation for a page that may be megabytes
    for (int k = 1; k <= 4; ++k) {
        html += "<tr id=\"" + std::to_string(k * 10) + "\"><td><br>";
        const auto& row = rows[static_cast<size_t>(k - 1)];
        for (auto e = row.rbegin(); e != row.rend(); ++e) html += **e;  // later messages first
        html += "</td></tr>\n";
    }
    std::erase_if(cache_, [this](const auto& e) { return e.second.pass != pass_; });  // messages gone
    return html;
}

std::string BuildBoardEntries(const BoardEntryFormat& format) {
    BoardIndex index;
    BoardEntries entries;
    return entries.Rows(index, format);
}

}  // namespace zc
