#pragma once
#include <string>

namespace zc {

// Named lock shared by all copies of the program of one user.
class SingleInstanceLock {
public:
    virtual ~SingleInstanceLock() = default;
    // True when another copy holds the lock.
    virtual bool IsHeldElsewhere(const std::string& name) = 0;
    // Asks the copy that holds the lock to show and raise its window.
    virtual bool ActivateHolder(const std::string& name) = 0;
    virtual bool Acquire(const std::string& name) = 0;
    virtual void Release() = 0;
    virtual bool IsHeld() const = 0;
};

}  // namespace zc
