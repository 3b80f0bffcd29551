#pragma once
#include <functional>
#include <string>

namespace zc {

// Ini files as the program's settings use them: section and key names compared without
// regard to case, values kept byte for byte, CRLF or LF lines. Values are windows-1251; a file
// that is valid UTF-8 with non-ASCII bytes (or a UTF-8 mark) is read as UTF-8 and converted.

// One value, at most 254 characters; "" when the file, section or key is missing.
std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key);

// Longer reads where a caller needs them (still cut at maxLength).
std::string ReadIniValueLimited(const std::string& file, const std::string& section, const std::string& key,
                                size_t maxLength);

// Writes or replaces one key and keeps every other line; an empty value deletes the key.
// A missing file is created; a UTF-8 file stays UTF-8. False when it could not be written.
// A linked file is written where the link points and keeps its permission bits. Every write
// holds a lock on "<file>.lock" shared by all our programs, so concurrent writers lose nothing.
bool WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value);

// The same, with the new value made from the current one ("" when missing) under the lock:
// for a value two programs both change, such as a list one appends to and the other takes.
bool UpdateIniValue(const std::string& file, const std::string& section, const std::string& key,
                    const std::function<std::string(const std::string&)>& change);

// The reading rule of nearly every setting: empty or a single blank takes the default.
std::string ValueOrDefault(const std::string& value, const std::string& fallback);

}  // namespace zc
