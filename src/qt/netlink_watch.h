#pragma once
#include <QElapsedTimer>
#include <QTimer>
#include <memory>

#include "platform/network_watch.h"

class QSocketNotifier;

namespace zc {

// Address and link changes from the kernel's routing socket. A burst (a link going down takes
// its addresses and routes along) settles into one call: 300 ms after the last change, or 2 s
// after the first when changes keep coming.
class NetlinkWatch : public NetworkWatch {
public:
    NetlinkWatch();
    ~NetlinkWatch() override;
    bool SetHandler(std::function<void()> onChanged) override;

private:
    bool Open();
    void OnReadable();
    void Changed();

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer settle_;
    QElapsedTimer burst_;
    std::function<void()> onChanged_;
};

}  // namespace zc
