#include "BenchSupport.h"

#include <algorithm>
#include <cstdlib>
#include <spawn.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace quillory::bench {

double BestSeconds(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("command failed: " + command);
}

Measured MeasureShell(const std::string& command) {
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        throw std::runtime_error("cannot run: " + command);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("command failed: " + command);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return {took.count(), static_cast<double>(usage.ru_maxrss) / 1024.0};
}

Measured BestOfShell(int runs, const std::string& command) {
    MeasureShell(command);
    Measured best{1e300, 0};
    for (int i = 0; i < runs; ++i) {
        const Measured run = MeasureShell(command);
        if (run.Seconds < best.Seconds)
            best = run;
    }
    return best;
}

double PeakMemoryMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

WorkDirectory::WorkDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/quillory-bench-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("cannot make a work directory");
    path_ = buffer.data();
}

WorkDirectory::~WorkDirectory() {
    std::system(("rm -rf '" + path_ + "'").c_str());
}

} // namespace quillory::bench
