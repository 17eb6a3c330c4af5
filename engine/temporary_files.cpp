#include "engine/temporary_files.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace engine {

namespace {

// A process writes a few files at a time; a write beyond these slots still works, only
// without the clean-up on a signal.
constexpr int kSlots = 16;
constexpr std::size_t kNameBytes = 4096;

enum SlotState : int { Free, Claimed, Active };

struct Slot {
    std::atomic<int> State{Free};
    std::array<char, kNameBytes> Name{};
};

std::array<Slot, kSlots> g_slots;

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the slots");

constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP};

// Only async-signal-safe calls: unlink, and the re-raise after the default disposition is
// back (SA_RESETHAND); the signal is blocked while the handler runs, so it takes effect on
// return.
extern "C" void RemoveAndEnd(int signal)
{
    for (Slot& slot : g_slots) {
        if (slot.State.load() == Active) {
            ::unlink(slot.Name.data());
        }
    }
    ::raise(signal);
}

int ClaimSlot(const std::string& pattern)
{
    if (pattern.size() >= kNameBytes) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        Slot& slot = g_slots[static_cast<std::size_t>(i)];
        int expected = Free;
        if (slot.State.compare_exchange_strong(expected, Claimed)) {
            std::memcpy(slot.Name.data(), pattern.c_str(), pattern.size() + 1);
            return i;
        }
    }
    return -1;
}

} // namespace

void RemoveTemporaryFilesOnSignals()
{
    for (const int signal : kSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL ||
            (current.sa_flags & SA_SIGINFO) != 0) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = RemoveAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

int TemporaryFile::Create(const std::string& pattern)
{
    Forget();
    slot_ = ClaimSlot(pattern);
    if (slot_ < 0) {
        std::string name = pattern;
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0) {
            name_ = name;
        }
        return fd;
    }
    Slot& slot = g_slots[static_cast<std::size_t>(slot_)];
    // The name is filled in place, so the handler sees the file's own name once it is active.
    const int fd = ::mkostemp(slot.Name.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        Forget();
        errno = error;
        return -1;
    }
    slot.State.store(Active);
    name_ = slot.Name.data();
    return fd;
}

void TemporaryFile::Forget()
{
    if (slot_ >= 0) {
        g_slots[static_cast<std::size_t>(slot_)].State.store(Free);
        slot_ = -1;
    }
    name_.clear();
}

} // namespace engine
