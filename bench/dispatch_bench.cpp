// A 4 KB public message through the whole receiving path of a chat (decode, parse, dispatch,
// page line, history), honest text beside a line that repeats one address 670 times. Both should
// cost about the same; the ratio of the two rates is the figure that matters.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "support/chat_fixture.h"

namespace {

using namespace zc;
using namespace zc::test;

struct Receiver {
    TempRoot root;
    FakeLockBoard board;
    FakeChat chat{board};
    Receiver() {
        chat.Use().OnInitDialog();
        chat.timers.Advance(2000);
        // Settings as a running chat has them: written a while ago, not a moment before.
        namespace fs = std::filesystem;
        for (const auto& entry : fs::recursive_directory_iterator(root.Path()))
            if (entry.is_regular_file()) fs::last_write_time(entry.path(), fs::file_time_type::clock::now() - std::chrono::hours(1));
    }
    std::string Wire(const std::string& body) {
        const std::string plain = "10.0.0.9(0200000000AA)||Mallory||||0.0||0||6||" + body + "//end";
        return chat.Use().Codec().EncodeText(plain);
    }
};

std::string Honest() {
    std::string body = "1:";
    while (body.size() < 4000) body += "Meeting at three in room 4, bring the slides and the numbers. ";
    return body.substr(0, 4000);
}

std::string RepeatedLinks() {
    std::string body = "1:";
    for (int i = 0; i < 666; ++i) body += "www.a ";
    return body;
}

void Run(benchmark::State& state, const std::string& body) {
    static std::unique_ptr<Receiver> receiver;
    if (!receiver) receiver = std::make_unique<Receiver>();
    const std::string wire = receiver->Wire(body);
    for (auto _ : state) receiver->chat.dlg->OnPacketText(wire);
    state.SetItemsProcessed(state.iterations());
}

void BM_Honest4K(benchmark::State& state) { Run(state, Honest()); }
void BM_RepeatedLinks4K(benchmark::State& state) { Run(state, RepeatedLinks()); }

BENCHMARK(BM_Honest4K)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RepeatedLinks4K)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
