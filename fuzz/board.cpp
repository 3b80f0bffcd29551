// A board record as a peer sends it: stored, read back, forwarded and shown on the board page.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/message_text.h"
#include "fuzz_support.h"
#include "net/board_requests.h"
#include "services/board_entries.h"
#include "services/board_index.h"
#include "services/board_store.h"
#include "support/fakes.h"

namespace {

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string& folder = zc::fuzz::ScratchFolder();
    static zc::test::FakeClock clock;
    (void)folder;

    std::error_code ec;
    std::filesystem::remove_all(zc::kBoardFolder, ec);
    const std::string name = "1765188000.mes";
    const std::string content(reinterpret_cast<const char*>(data), size);
    ZC_FUZZ_CHECK(zc::WriteBoardFile(name, content), "record not stored");

    // What we forward reads the same when the next copy forwards it again.
    const std::string sent = zc::ReadBoardFileForSend(name);
    ZC_FUZZ_CHECK(sent.rfind(name + ";", 0) == 0, "forwarded record without its name");
    ZC_FUZZ_CHECK(zc::WriteBoardFile(name, sent.substr(name.size() + 1)), "forwarded record not stored");
    // Known fault, see fuzz/findings/board: a line ending in two carriage returns loses one
    // more at every hop. Long runs set ZC_FUZZ_SKIP_KNOWN to look past it.
    static const bool skipKnown = std::getenv("ZC_FUZZ_SKIP_KNOWN") != nullptr;
    const bool known = skipKnown && content.find("\r\r") != std::string::npos;
    ZC_FUZZ_CHECK(known || zc::ReadBoardFileForSend(name) == sent, "a forwarded record changes on the way");

    const std::string path = std::string(zc::kBoardFolder) + "/" + name;
    for (const char* tag : {"TimeLife", "CreateTime", "MessageCategory", "UserName", "MessageBody"})
        (void)zc::ReadBoardTag(tag, path);
    (void)zc::IsOwnBoardMessage(path, "Alice");
    (void)zc::ListOwnBoardFiles("Alice", "10.0.0.1");

    const zc::BoardEntryFormat format{
        clock,
        30,
        [](const std::string& s) { return zc::MessageTextSanitizer(s, true, true); },
        [](const std::string& s) { return s; },
        [](const std::string& n) { return "<span class=\"username\">" + n + "</span>"; },
        [](const std::string&) { return std::string(); },
        "Delete"};
    const std::string entries = zc::BuildBoardEntries(format);
    ZC_FUZZ_CHECK(Count(entries, "<tr id=\"") == 4, "the four category rows");
    ZC_FUZZ_CHECK(Count(entries, "class=\"deletemessage\"") <= 1, "one record, one entry");

    // The same bytes as Alice's post: stored only in her name and address, and then hers alone.
    std::filesystem::remove_all(zc::kBoardFolder, ec);
    zc::BoardIndex index;
    const zc::BoardSender alice{"10.0.0.1", "Alice", "0200000000A1", true};
    if (index.Admit(name, content, alice, 1765188000, 30) == zc::BoardAdmission::Stored) {
        const zc::BoardPost* post = index.Find(name);
        ZC_FUZZ_CHECK(post && post->ip == alice.ip && post->author == alice.name, "stored in another user's name");
        const zc::BoardSender other{"10.0.0.1", "Alice", "0200000000B2", true};
        ZC_FUZZ_CHECK(index.Admit(name, content, other, 1765188000, 30) == zc::BoardAdmission::NotTheOwner,
                      "replaced by another identity");
        ZC_FUZZ_CHECK(!index.DeleteFrom(name, other) && index.DeleteFrom(name, alice), "deleted by the wrong sender");
    }

    // The same bytes as a peer's list: a few requests out, a bounded rest waiting.
    zc::BoardRequests requests;
    std::string note;
    const auto ask = requests.OnList("P", content, 0, [](const std::string&) { return false; }, note);
    ZC_FUZZ_CHECK(ask.size() <= zc::BoardRequests::kOutstanding, "too many requests for one list");
    ZC_FUZZ_CHECK(requests.Waiting("P") + ask.size() <= zc::BoardRequests::kNamesPerList, "list not capped");
    for (const std::string& n : ask) ZC_FUZZ_CHECK(zc::IsBoardFileName(n), "request for a name that is no board name");
    return 0;
}
