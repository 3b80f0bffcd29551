#pragma once
#include <string>

namespace zc {

class SystemFacts;

// The identity other copies know this chat by: the hardware address as twelve upper-case hex
// digits, or the IP written twice without dots when there is none.
std::string DescribedIdentity(const std::string& hardware, const std::string& ip);

// The identity of a further copy on the same machine: the same form, the address with its
// locally-administered bit set and the user and the instance number mixed in, so it is stable
// across that copy's restarts and differs from the first copy's.
std::string FurtherCopyIdentity(const std::string& hardware, const std::string& ip, const std::string& user,
                                int instance);

// The first copy on the machine keeps the described identity; every further one, of
// whatever user, takes the first free further-copy identity.
std::string ClaimCopyIdentity(SystemFacts& system, const std::string& hardware, const std::string& ip,
                              const std::string& user);

}  // namespace zc
