#pragma once

#include <string>

// Temporary files that stand beside a file being replaced until the new bytes are all written.
// A process ended by Ctrl-C, SIGTERM or SIGHUP in the middle of a long write (a full log is
// hundreds of megabytes) would otherwise leave one behind. The names are held where a signal
// handler can reach them without allocating or locking.

namespace engine {

// Installs the handler that removes every temporary file of a write in progress and then ends
// the process by the same signal, as it would have ended without the handler. Signals the
// process ignores (nohup) or handles itself are left as they are. Call once at start-up.
void RemoveTemporaryFilesOnSignals();

// A new, empty temporary file named `pattern` with its last six characters ("XXXXXX") made
// unique, opened for reading and writing and known to the signal handler until Forget().
class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile() { Forget(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Returns the open descriptor, or -1 with errno set.
    int Create(const std::string& pattern);
    const std::string& Name() const { return name_; }
    // Stops removing the file on a signal: call once it is renamed or removed.
    void Forget();

private:
    std::string name_;
    int slot_ = -1;
};

} // namespace engine
