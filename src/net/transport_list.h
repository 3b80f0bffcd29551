#pragma once
#include <functional>
#include <string>
#include <vector>

#include "net/net_settings.h"

namespace zc {

class Transport;

// The active transports with a copy of the settings each was made with; owns none of them.
class CTransportList {
public:
    struct Entry {
        Transport* transport = nullptr;
        CNetSettings settings;
    };

    void Add(Transport* transport, const CNetSettings& settings);
    void SetAt(size_t index, const Entry& entry);
    // Leaves the group where there is one, shuts every transport down and forgets it.
    void Clear();
    bool IsActive() const;
    // Sends through every entry; a failed entry is reported and marked inactive, unless its
    // transport reconnects by itself.
    bool SendAll(const std::string& bytes, const std::function<void(const CNetSettings&)>& onSendFailed);
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

}  // namespace zc
