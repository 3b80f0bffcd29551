#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zc {

class Clock;

// The board is the folder "board" below the current directory: one file per message.
inline const char kBoardFolder[] = "board";
// How a message is named on the wire and in page ids ("board\" + file name).
inline const char kBoardWirePrefix[] = "board\\";

// What the board may hold, so that peers cannot fill the disk or make every page build slow.
inline constexpr size_t kMaxBoardFiles = 1000;
inline constexpr std::uintmax_t kMaxBoardBytes = 2u << 20;
// The longest a message lives (what the program writes); a longer TimeLife counts as this.
inline constexpr long long kLongestBoardLife = 2592000;
// A message dated further ahead than this is a forged date, not a peer's clock running fast; a
// file name further than this from its CreateTime is not the name its author's copy gave it.
inline constexpr long long kBoardClockSkew = 86400;
// Live messages one address may have stored here: a colleague's notices, not a flood.
inline constexpr size_t kMaxBoardPostsPerAddress = 20;

// A name from a peer is used only when it is a plain decimal number and ".mes".
bool IsBoardFileName(const std::string& name);
// "board/" + name for a valid wire path "board\" + name; "" otherwise.
std::string BoardPathOfWirePath(const std::string& wirePath);

// Writes a new message of the local user; returns name ";" content for the broadcast, "" on failure.
std::string SaveBoardMessage(const Clock& clock, const std::string& body, const std::string& userName,
                             const std::string& category, const std::string& ip);
// Creates or replaces board/fileName; false for a name that is not a board name.
bool WriteBoardFile(const std::string& fileName, const std::string& content);
// name ";" and every line followed by a line feed; "" when the file cannot be read.
std::string ReadBoardFileForSend(const std::string& fileName);
// Every own message as name ";".
std::string ListOwnBoardFiles(const std::string& userName, const std::string& ip);
// path is a file system path of a message.
bool IsOwnBoardMessage(const std::string& path, const std::string& userName);
// False, and the file deleted, when the message has outlived its time.
bool CheckBoardExpiry(const Clock& clock, const std::string& path, int defaultDays);
// Whether a message created at `created` with the TimeLife text lifeText has outlived its time.
bool BoardMessageExpired(long long now, long long created, const std::string& lifeText, int defaultDays);

// The lines between "<tag>" and "</tag>"; "" without the closing line.
std::string ReadBoardTag(const std::string& tag, const std::string& path);
// The same for lines already read.
std::string BoardTagValue(const std::vector<std::string>& lines, const std::string& tag);
// The line after the line tagLine; "" when there is none.
std::string BoardLineAfter(const std::vector<std::string>& lines, const std::string& tagLine);
// The file's lines: split at line feeds, a carriage return before one dropped.
bool ReadBoardLines(const std::string& path, std::vector<std::string>& lines);
// The same for a file's content already in memory.
std::vector<std::string> SplitBoardLines(const std::string& content);
// The seconds a message name stands for ("1765188000.mes": 1765188000).
long long BoardNameSeconds(const std::string& name);
// Valid message file names in the folder, in name order.
std::vector<std::string> BoardFileNames();

}  // namespace zc
