#include "net/transport_list.h"

#include "platform/transport.h"

namespace zc {

void CTransportList::Add(Transport* transport, const CNetSettings& settings) { entries_.push_back({transport, settings}); }

void CTransportList::SetAt(size_t index, const Entry& entry) {
    if (index < entries_.size()) entries_[index] = entry;
}

void CTransportList::Clear() {
    for (Entry& e : entries_) {
        if (!e.transport) continue;
        if (e.transport->IsMulticast()) e.transport->LeaveGroup();
        e.transport->ShutdownAndClose();
    }
    entries_.clear();
}

bool CTransportList::IsActive() const {
    for (const Entry& e : entries_)
        if (e.settings.active != 0) return true;
    return false;
}

bool CTransportList::SendAll(const std::string& bytes, const std::function<void(const CNetSettings&)>& onSendFailed) {
    bool last = false;
    for (size_t i = 0; i < entries_.size(); ++i) {
        Entry e = entries_[i];
        last = e.transport && e.transport->Send(bytes);
        // Its loss and return were told once; each refused packet need not say it again.
        if (!last && e.transport && e.transport->ReconnectsByItself()) continue;
        if (!last) {
            if (onSendFailed) onSendFailed(e.settings);
            e.settings.active = 0;
            SetAt(i, e);
        }
    }
    return last;
}

}  // namespace zc
