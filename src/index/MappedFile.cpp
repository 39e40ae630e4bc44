#include "index/MappedFile.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace quillory {

namespace {

// The mappings the fault handler may mend. A handler may touch only what is
// safe in a signal, so they are a fixed table of atomics; a mapping that
// finds no free slot is not made (the search reads catalogs instead).
constexpr int Slots = 256;
struct Slot {
    std::atomic<std::uintptr_t> Begin{0}, End{0};
    std::atomic<bool> Damaged{false};
};
Slot slots[Slots];
struct sigaction previousAction;

void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : slots) {
        const std::uintptr_t begin = slot.Begin.load();
        if (begin != 0 && address >= begin && address < slot.End.load()) {
            // Zeros in place of the page, and the read goes on.
            const std::uintptr_t page =
                address & ~(static_cast<std::uintptr_t>(::getpagesize()) - 1);
            ::mmap(reinterpret_cast<void*>(page), static_cast<std::size_t>(::getpagesize()),
                   PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
            slot.Damaged.store(true);
            return;
        }
    }
    // Not one of ours: as if this handler were not there.
    if (previousAction.sa_flags & SA_SIGINFO) {
        previousAction.sa_sigaction(signal, info, context);
    } else if (previousAction.sa_handler != SIG_IGN && previousAction.sa_handler != SIG_DFL) {
        previousAction.sa_handler(signal);
    } else {
        ::signal(signal, SIG_DFL);
    }
}

void InstallHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previousAction);
    });
}

int TakeSlot(std::uintptr_t begin, std::uintptr_t end) {
    for (int i = 0; i < Slots; ++i) {
        std::uintptr_t free = 0;
        if (slots[i].Begin.compare_exchange_strong(free, begin)) {
            slots[i].Damaged.store(false);
            slots[i].End.store(end);
            return i;
        }
    }
    return -1;
}

} // namespace

MappedFile::MappedFile(int fd, std::size_t size) {
    if (size == 0)
        return;
    InstallHandler();
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED)
        return;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    slot_ = TakeSlot(begin, begin + size);
    if (slot_ < 0) {
        ::munmap(data, size);
        return;
    }
    data_ = data;
    size_ = size;
}

MappedFile::~MappedFile() {
    if (!data_)
        return;
    // The fault handler forgets the mapping before it goes, lest it mend a
    // new one made in its place.
    slots[slot_].End.store(0);
    slots[slot_].Begin.store(0);
    ::munmap(data_, size_);
}

bool MappedFile::Damaged() const {
    return slot_ >= 0 && slots[slot_].Damaged.load();
}

} // namespace quillory

namespace quillory {

void MappedFile::Read(std::size_t bytes) const {
    if (!data_ || read_.fetch_add(bytes, std::memory_order_relaxed) + bytes < ReleaseBytes)
        return;
    read_.store(0, std::memory_order_relaxed);
    ::madvise(data_, size_, MADV_DONTNEED);
}

} // namespace quillory
