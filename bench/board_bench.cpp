// What one board post costs a chat through its whole receiving path, with 10 and with 1,000
// messages stored (the chat page in front, as usually). Each round is a new post and the delete of
// the oldest by its author, so the board keeps its size. Both rates should be about the same:
// their ratio is the figure that matters. Opening the board page with 1,000 stored is shown beside.
#include <benchmark/benchmark.h>
#include <deque>
#include <filesystem>
#include <memory>

#include "support/chat_fixture.h"

namespace {

using namespace zc;
using namespace zc::test;

constexpr std::time_t kFirst = 1765000000;
constexpr int kAuthors = 100;  // posts spread as many colleagues would make them

struct Board {
    TempRoot root;
    FakeLockBoard lock;
    FakeChat chat{lock};
    std::time_t next = kFirst;
    std::deque<std::pair<std::time_t, int>> live;  // name, author

    explicit Board(int stored) {
        chat.clock.Set(kFirst + 2000000);  // every post well within its life for the whole run
        chat.Use().OnInitDialog();
        chat.timers.Advance(2000);
        for (int i = 0; i < stored; ++i) Post();
    }
    void Send(int author, int command, const std::string& body) {
        const std::string ip = "10.0.1." + std::to_string(author);
        const std::string plain = ip + "(02000001" + std::to_string(1000 + author) + ")||User" +
                                  std::to_string(author) + "||||0.0||0||" + std::to_string(command) + "||" + body +
                                  "//end";
        chat.dlg->OnPacketText(chat.dlg->Codec().EncodeText(plain), ip);
    }
    void Post() {
        const int author = static_cast<int>(next % kAuthors);
        const std::string t = std::to_string(next);
        std::string text;
        while (text.size() < 300) text += "Selling a bike, see www.example.org or mail me. ";
        Send(author, CMD_BOARD_MESSAGE,
             t + ".mes;<TimeLife>\n2592000\n</TimeLife>\n<CreateTime>\n" + t + "\n</CreateTime>\n<MessageCategory>\n" +
                 std::to_string(1 + next % 4) + "\n<UserName>\nUser" + std::to_string(author) + "\n<IP>\n10.0.1." +
                 std::to_string(author) + "\n<MessageDate>\n08-12-2025 10:00\n<MessageBody>\n" + text);
        live.emplace_back(next++, author);
    }
    void DeleteOldest() {
        const auto [name, author] = live.front();
        live.pop_front();
        Send(author, CMD_BOARD_DELETE, "board\\" + std::to_string(name) + ".mes");
    }
};

void PostAndDelete(benchmark::State& state, int stored) {
    Board board(stored);
    for (auto _ : state) {
        board.Post();
        board.DeleteOldest();
    }
    // What the folder really holds: the rounds must not have grown or emptied it.
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(board.root.Path() + "board"))
        files += e.path().extension() == ".mes";
    state.counters["files"] = static_cast<double>(files);
    state.SetItemsProcessed(state.iterations());
}

void BM_PostWith10Stored(benchmark::State& state) { PostAndDelete(state, 10); }
void BM_PostWith1000Stored(benchmark::State& state) { PostAndDelete(state, 1000); }

void BM_OpenBoardPageWith1000Stored(benchmark::State& state) {
    Board board(1000);
    for (auto _ : state) board.chat.dlg->ShowBoardPage();  // what opening the page builds
    state.counters["built"] = board.chat.dlg->Board().entries.Built();
    state.counters["read"] = board.chat.dlg->Board().files.FilesRead();
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_PostWith10Stored)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PostWith1000Stored)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenBoardPageWith1000Stored)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
