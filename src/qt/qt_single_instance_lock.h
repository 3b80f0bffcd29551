#pragma once
#include <QString>
#include <functional>
#include <memory>

#include "platform/single_instance.h"

class QLocalServer;
class QLocalSocket;

namespace zc {

// The named lock as a local server: a second copy can see it and ask the holder to show itself.
class QtSingleInstanceLock : public SingleInstanceLock {
public:
    QtSingleInstanceLock();
    ~QtSingleInstanceLock() override;

    bool IsHeldElsewhere(const std::string& name) override;
    bool ActivateHolder(const std::string& name) override;
    bool Acquire(const std::string& name) override;
    void Release() override;
    bool IsHeld() const override;

    // Called on the holder when another copy asks it to come to the front.
    void SetActivateHandler(std::function<void()> onActivateRequest);

    // "zeltochat-<uid>-<name with every other character than letters and digits as '_'>"
    static QString ServerName(const std::string& name);

private:
    void OnNewConnection();
    void ReadRequests(QLocalSocket* client);

    std::unique_ptr<QLocalServer> server_;
    QString heldName_;
    std::function<void()> onActivate_;
};

}  // namespace zc
