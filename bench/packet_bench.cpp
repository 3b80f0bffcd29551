// Packets per second for encode + decode + parse of a typical packet, beside a plain copy of
// the same bytes; the ratio of the two is the figure that matters.
#include <benchmark/benchmark.h>

#include <cstring>

#include "net/chat_packet.h"
#include "net/subst_codec.h"

namespace {

std::string TypicalPacket() {
    zc::PacketSender s{"192.168.10.42", "0A1B2C3D4E5F", "Alexandra (office-pc)", "00000001.jpg", 0};
    std::string body = "1:";
    while (body.size() < 200 - 80) body += "Meeting at three in room 4, bring the slides. ";
    std::string text = *zc::BuildPacketText(s, 5, body.substr(0, 200 - 78), "0.0");
    return text;
}

void BM_EncodeDecodeParse(benchmark::State& state) {
    zc::CSubstCodec codec;
    codec.SetTables(zc::SubstTableA(), zc::SubstTableB());
    const std::string plain = TypicalPacket();
    for (auto _ : state) {
        std::string wire = codec.EncodeText(plain);
        std::string back = codec.DecodeText(wire);
        bool ok = zc::HasValidTerminator(back);
        zc::CChatPacket p = zc::ParsePacketText(back);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(p);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["bytes"] = static_cast<double>(plain.size());
}

void BM_PlainCopy(benchmark::State& state) {
    const std::string plain = TypicalPacket();
    for (auto _ : state) {
        std::string copy(plain.size(), '\0');
        std::memcpy(copy.data(), plain.data(), plain.size());
        benchmark::DoNotOptimize(copy);
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_EncodeDecodeParse);
BENCHMARK(BM_PlainCopy);
BENCHMARK_MAIN();
