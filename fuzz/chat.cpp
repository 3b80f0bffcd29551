// One packet text from a stranger, scrambled with the program's codec and handed to the chat
// the way a transport hands it over: every command reaches its handler. The chat runs on a
// fake LAN, started once; its files stay in its own folder.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "support/lan_host.h"

namespace {

// Replies a single packet may cause, timers excluded: a small fixed number, never a list.
constexpr size_t kMaxReplies = 8;
// Inputs between clean-ups of what a long run piles up (sent packets, history, board, files).
constexpr unsigned kCleanEvery = 2000;

struct Rig {
    zc::test::FakeLan lan;
    std::unique_ptr<zc::test::Host> host;
};

Rig& Started() {
    static Rig* rig = [] {
        auto* r = new Rig;
        // Own address 10.0.0.1, identity 020000000001: the seeds address this copy with it.
        r->host = std::make_unique<zc::test::Host>(r->lan, "Zed", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6));
        zc::CChatMainDlg& dlg = r->host->dlg();
        if (!dlg.OnInitDialog()) zc::fuzz::Fail("the chat did not start");
        r->host->chat.timers.Advance(2000);
        r->lan.Pump();
        if (dlg.OwnId() != "020000000001") zc::fuzz::Fail("unexpected own identity", dlg.OwnId());
        static std::string root = r->host->root.Path();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::current_path("/tmp", ec);
            std::filesystem::remove_all(root, ec);
        });
        return r;
    }();
    return *rig;
}

void CleanUp(Rig& rig) {
    rig.lan.ForgetWire();
    std::error_code ec;
    for (const char* folder : {"history", "board", "download", "logs"})
        std::filesystem::remove_all(rig.host->root.Path() + folder, ec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Rig& rig = Started();
    static unsigned inputs = 0;
    zc::CChatMainDlg& dlg = rig.host->dlg();

    // What a datagram read gives: the text up to the first zero byte, at most 4095 bytes.
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, std::min<size_t>(text.find('\0'), 4095));

    // "@ADDRESS " in front: the datagram came from that address (else: a relay, which cannot tell).
    std::string source;
    if (text.size() > 1 && text[0] == '@' && text.find(' ') != std::string::npos) {
        source = text.substr(1, text.find(' ') - 1);
        text.erase(0, text.find(' ') + 1);
    }
    const size_t sentBefore = rig.lan.Wire().size();
    dlg.OnPacketText(dlg.Codec().EncodeText(text), source);
    rig.lan.Pump();
    ZC_FUZZ_CHECK(rig.lan.Pump(1) == 0, "packets keep bouncing between the chat and itself");
    const size_t replies = rig.lan.Wire().size() - sentBefore;
    ZC_FUZZ_CHECK(replies <= kMaxReplies, std::to_string(replies) + " replies to one packet");
    // Peers may slow the user down, never stop the guard; their windows stay few.
    ZC_FUZZ_CHECK(dlg.Flood().Limit() >= zc::FloodGuard::kPeerFloor, "a peer set the send limit to " +
                                                                         std::to_string(dlg.Flood().Limit()));
    ZC_FUZZ_CHECK(dlg.OpenPeerWindows().All().size() <= zc::PeerWindows::kMaxOpen, "too many windows open");

    // Whatever it asks the user is answered, alternately yes and no, and time moves on so
    // the chat's timers (user list, refresh, flashing) run between packets.
    for (int i = 0; i < 16 && rig.host->chat.dialogs.Answer(inputs % 2 == 0); ++i) rig.lan.Pump();
    rig.host->chat.timers.Advance(250);
    rig.lan.Pump();

    // For a look at what an input did: ZC_FUZZ_TRACE=1 fuzz_replay_chat FILE...
    static const bool trace = std::getenv("ZC_FUZZ_TRACE") != nullptr;
    if (trace) {
        const std::string body = rig.host->Body();
        std::fprintf(stderr, "  dispatched %d, last command %d, %zu replies, chat page %zu bytes, ends: %s\n",
                     dlg.DispatchedCount(), dlg.LastDispatchedCommand(), replies, body.size(),
                     body.substr(body.size() > 200 ? body.size() - 200 : 0).c_str());
    }
    if (++inputs % kCleanEvery == 0) CleanUp(rig);
    return 0;
}
