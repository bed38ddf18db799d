// SPDX-License-Identifier: MIT
// A file opened only to hold an exclusive advisory lock on it: the
// programmer lock, and a production run's hold on its serial-number journal.
// Closing the file releases the lock, also when the process dies, so a
// crashed run never leaves anything locked.
#pragma once

#include <memory>
#include <string>

namespace scriba8 {

class LockFile {
public:
    virtual ~LockFile() = default;

    // The file at path, made when missing with create (a lock file beside a
    // virtual programmer's state); a device node is only opened. Null when
    // it cannot be opened.
    static std::unique_ptr<LockFile> open(const std::string& path, bool create);

    enum class Attempt { locked, busy, failed };
    // Takes the lock without waiting. Another open of the same file, in this
    // process or another, is busy while this one holds it.
    virtual Attempt tryLock() = 0;
};

} // namespace scriba8
