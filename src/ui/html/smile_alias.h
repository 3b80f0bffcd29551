#pragma once
#include <string>
#include <vector>

namespace zc {

class DebugLog;

inline const char kSmilesAliasFile[] = "smiles/smilesalias.cfg";
// The first half of a pair that starts a category rather than naming a smile.
inline const char kCategoryMarker[] = "[CATEGORY]";

// The smiles in file order, as pairs: (kCategoryMarker, category name) or (alias, picture file).
class SmileAliasTable {
public:
    struct Pair {
        std::string first, second;
        bool IsCategory() const { return first == kCategoryMarker; }
    };
    void Clear() { pairs_.clear(); }
    void AddCategory(const std::string& name) { pairs_.push_back({kCategoryMarker, name}); }
    void AddSmile(const std::string& alias, const std::string& file) { pairs_.push_back({alias, file}); }
    bool Empty() const { return pairs_.empty(); }
    const std::vector<Pair>& Pairs() const { return pairs_; }

private:
    std::vector<Pair> pairs_;
};

// Fills the table from the alias file (cleared first); logs the outcome. False when the file
// cannot be read: the table then stays empty.
bool ReadSmilesAlias(SmileAliasTable& table, const DebugLog& log, const std::string& file = kSmilesAliasFile);

// Reads the alias file's lines into the table; every alias, file and category name is cleaned
// like a message text.
void ParseSmilesAlias(const std::string& bytes, SmileAliasTable& table);

// At most this many smiles of one text become pictures; the rest stay text.
inline constexpr size_t kMaxSmilesPerLine = 32;

// Aliases standing alone in a chat text become their pictures under programFolder + "smiles/".
std::string SmileSubstitution(const SmileAliasTable& table, const std::string& text, const std::string& programFolder);

// A smile picture's file (the folder in UTF-8, the name in the chat's code page) and its address.
std::string SmileFile(const std::string& programFolder, const std::string& file);
std::string SmilePictureUrl(const std::string& programFolder, const std::string& file);

}  // namespace zc
