#include "net/file_offer.h"

#include <algorithm>

#include "base/byte_size.h"

namespace zc {
namespace {
constexpr char kSeparator[] = "||";
constexpr size_t kMaxDigits = 19;  // fits 64 bits
}  // namespace

std::string FileOfferBody(const std::string& name, std::uint64_t size) {
    return name + kSeparator + std::to_string(size);
}

FileOffer ParseFileOffer(const std::string& body) {
    // The size is the digits after the last separator; anything else belongs to the name.
    const size_t at = body.rfind(kSeparator);
    if (at == std::string::npos) return {body, std::nullopt};
    const std::string digits = body.substr(at + 2);
    if (digits.empty() || digits.size() > kMaxDigits ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {body, std::nullopt};
    return {body.substr(0, at), std::stoull(digits)};
}

std::string FileOfferText(const FileOffer& offer) {
    return offer.size ? offer.name + " (" + HumanSize(*offer.size) + ")" : offer.name;
}

}  // namespace zc
