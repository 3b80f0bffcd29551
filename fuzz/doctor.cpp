// The connection check's reading of answers to its WHO: datagrams (plain packet texts split at
// zero bytes, scrambled before they are offered) from strangers; and of a relay's status reply
// (the same bytes up to the first zero). Whatever they hold, the listings stay bounded and free
// of control characters.
#include <cstdint>
#include <string>

#include "doctor/doctor_report.h"
#include "doctor/peer_answers.h"
#include "doctor/relay_status.h"
#include "fuzz_support.h"
#include "net/subst_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int ttl = data[0];  // as the datagrams arrived
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    static const zc::CSubstCodec codec = [] {
        zc::CSubstCodec c;
        c.SetTables(zc::SubstTableA(), zc::SubstTableB());
        return c;
    }();

    zc::doctor::PeerAnswers answers("ABCDEF012345", {"0A0B0C0D0E0F"});
    size_t offered = 0, start = 0;
    while (start <= input.size()) {
        size_t zero = input.find('\0', start);
        if (zero == std::string::npos) zero = input.size();
        answers.Offer(codec.EncodeText(input.substr(start, zero - start)), "10.0.0.2", ttl);
        ++offered;
        start = zero + 1;
    }
    ZC_FUZZ_CHECK(answers.Count() <= offered, "more copies than datagrams");
    const zc::doctor::CheckLine line = answers.Line(8, 3, false);
    ZC_FUZZ_CHECK(line.details.size() <= zc::doctor::PeerAnswers::kMaxListed + 1, "listing not bounded");
    for (const std::string& detail : line.details) {
        for (unsigned char c : detail) ZC_FUZZ_CHECK(c >= 0x20 && c != 0x7f, detail);
        ZC_FUZZ_CHECK(detail.size() < 200, detail);
    }
    for (const zc::doctor::CheckLine& l : RelayLinkLines(zc::doctor::ParseRelayStatus(input.substr(0, input.find('\0'))))) {
        for (unsigned char c : l.text) ZC_FUZZ_CHECK(c >= 0x20 && c != 0x7f, l.text);
        ZC_FUZZ_CHECK(l.text.size() < 1200, l.text);
    }
    return 0;
}
