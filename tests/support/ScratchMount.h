#pragma once

#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace quillory::test {

// A file system mounted for the length of one test and detached at its end:
// a fresh tmpfs at `target`, or `bindSource` bound there when given. Mounting
// needs root; Mounted() tells whether it worked so that a test can skip.
class ScratchMount {
public:
    explicit ScratchMount(const std::string& target, const std::string& bindSource = {})
        : target_(target) {
        if (::geteuid() != 0)
            return;
        mounted_ = bindSource.empty() ? ::mount("tmpfs", target.c_str(), "tmpfs", 0, "size=1m") == 0
                                      : ::mount(bindSource.c_str(), target.c_str(), nullptr,
                                                MS_BIND, nullptr) == 0;
    }
    ~ScratchMount() {
        if (mounted_)
            ::umount2(target_.c_str(), MNT_DETACH);
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool Mounted() const { return mounted_; }

private:
    std::string target_;
    bool mounted_ = false;
};

} // namespace quillory::test
