#pragma once
#include <string>

namespace zc {

// Per-user settings in [OVERRIDE] of the profile, written under the keys the chat reads them
// by. The names come from peers, so a name that would not read back as itself is refused.

// The notification events that can have a sound of their own, 0..13.
inline constexpr int kUserSoundEvents = 14;

// "<name without blanks>_SND_<event>"; empty when nothing of the name is left or the event is
// out of range.
std::string UserSoundKey(const std::string& name, int event);

// A file directly in sound/: no folders, no control characters, and long enough for the chat
// to play it (it ignores values under five characters).
bool IsPlainSoundFileName(const std::string& file);

std::string ReadUserSound(const std::string& profilePath, const std::string& name, int event);

// An empty file deletes the entry. False when the name, event or file is refused or the
// profile cannot be written.
bool WriteUserSound(const std::string& profilePath, const std::string& name, int event, const std::string& file);

// The colour keys are the name as it is ("<name>MESSAGECOLOR", "<name>NAMECOLOR"): a name with
// "=", brackets, ";", control characters or blanks at either end cannot be one.
bool IsStorableColourName(const std::string& name);

// "#" and six hexadecimal digits.
bool IsHtmlColour(const std::string& text);

enum class UserColour { Message = 0, Name = 1 };

// The stored text, or "" when there is none or it is no colour this program writes.
std::string ReadUserColour(const std::string& profilePath, const std::string& name, UserColour which);

// An empty colour deletes the entry. False when the name or colour is refused or the profile
// cannot be written.
bool WriteUserColour(const std::string& profilePath, const std::string& name, UserColour which,
                     const std::string& colour);

}  // namespace zc
