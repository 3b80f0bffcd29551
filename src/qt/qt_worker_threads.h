#pragma once
#include <memory>

#include "platform/file_transfer.h"

class QObject;

namespace zc {

// Workers on std::thread; closures reach the UI thread through its Qt event loop, so this works
// under QCoreApplication too. Create it on the UI thread, and end every handle before it.
class QtWorkerThreads : public WorkerThreads {
public:
    QtWorkerThreads();
    ~QtWorkerThreads() override;
    std::unique_ptr<WorkerHandle> Start(std::function<void()> work) override;
    void PostToUi(std::function<void()> closure) override;

private:
    // Lives on the UI thread; queued closures run in its thread's event loop.
    std::unique_ptr<QObject> anchor_;
};

}  // namespace zc
