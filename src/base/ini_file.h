#pragma once
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
bool WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value);

// The reading rule of nearly every setting: empty or a single blank takes the default.
std::string ValueOrDefault(const std::string& value, const std::string& fallback);

}  // namespace zc
