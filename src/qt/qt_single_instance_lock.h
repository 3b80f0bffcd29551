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
    // The socket's full path inside PrivateDirectory(); empty when there is none.
    static QString SocketPath(const std::string& name);
    // A folder only this user can enter, so another local user can neither take the name first
    // nor answer in our place: $XDG_RUNTIME_DIR when it is ours and closed to others, else
    // "zeltochat/run" under the cache folder, made and kept at mode 0700. Empty when neither.
    static QString PrivateDirectory();

private:
    void OnNewConnection();
    void ReadRequests(QLocalSocket* client);

    std::unique_ptr<QLocalServer> server_;
    QString heldName_;
    std::function<void()> onActivate_;
};

}  // namespace zc
