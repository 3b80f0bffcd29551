#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace zc {

// A file offer names the file and, from our copies, its size: "name||bytes". A copy that
// sends the name alone still offers the file, and one that knows no size still accepts ours
// (it answers and receives by the name it gets with the port).
struct FileOffer {
    std::string name;
    std::optional<std::uint64_t> size;
};

std::string FileOfferBody(const std::string& name, std::uint64_t size);
FileOffer ParseFileOffer(const std::string& body);

// "name (3.2 MB)", or the name alone when the size is unknown.
std::string FileOfferText(const FileOffer& offer);

}  // namespace zc
