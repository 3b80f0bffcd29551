#include "qt/qt_worker_threads.h"

#include <QMetaObject>
#include <QObject>
#include <thread>

namespace zc {

namespace {

class ThreadHandle : public WorkerHandle {
public:
    explicit ThreadHandle(std::function<void()> work)
        : thread_([work = std::move(work)] {
              // An exception must not end the program from a worker thread.
              try {
                  work();
              } catch (...) {
              }
          }) {}
    ~ThreadHandle() override {
        if (!thread_.joinable()) return;
        // Dropped by its own work: joining would wait for itself.
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach();
        else
            thread_.join();
    }

private:
    std::thread thread_;
};

}  // namespace

QtWorkerThreads::QtWorkerThreads() : anchor_(std::make_unique<QObject>()) {}

QtWorkerThreads::~QtWorkerThreads() = default;

std::unique_ptr<WorkerHandle> QtWorkerThreads::Start(std::function<void()> work) {
    return std::make_unique<ThreadHandle>(std::move(work));
}

void QtWorkerThreads::PostToUi(std::function<void()> closure) {
    QMetaObject::invokeMethod(anchor_.get(), std::move(closure), Qt::QueuedConnection);
}

}  // namespace zc
