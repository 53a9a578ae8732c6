// One run at a time per product: Setup and Uninstall of the same product hold a named mutex for
// as long as they run, so that two of them never write the same files and registry entry.
#pragma once

#include <string>

namespace ko {

class TProductLock {
public:
    TProductLock() = default;
    ~TProductLock();
    TProductLock(const TProductLock&) = delete;
    TProductLock& operator=(const TProductLock&) = delete;

    // Takes the mutex of the product with this folder name (ProductFolderName), machine-wide,
    // the name's letter case aside. False when another Setup or Uninstall of the product holds
    // it. A mutex the system refuses to create for any other reason, or an empty name, locks
    // nothing and gives true: a run is never refused for want of a lock.
    bool Acquire(const std::string& folderName);

    // What a run that did not get the lock says.
    static std::string Message(const std::string& folderName);

private:
    void* FHandle = nullptr;
};

} // namespace ko
