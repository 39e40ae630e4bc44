#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace quillory::bench {

// Seconds taken by the fastest of `runs` calls of `work`: the least disturbed
// run is the best estimate of the work itself on a busy machine.
double BestSeconds(int runs, const std::function<void()>& work);

// Runs a shell command and raises std::runtime_error when it fails.
void Shell(const std::string& command);

// Runs a shell command to its end and returns its time in seconds and its
// peak resident memory in MiB (of the shell's largest child).
struct Measured {
    double Seconds = 0;
    double PeakMiB = 0;
};
Measured MeasureShell(const std::string& command);

// The fastest of `runs` runs of a shell command, after one run that warms the
// file cache.
Measured BestOfShell(int runs, const std::string& command);

// Peak resident memory of this process so far, in MiB.
double PeakMemoryMiB();

// A directory of its own under $TMPDIR (or /tmp), removed by the destructor.
class WorkDirectory {
public:
    WorkDirectory();
    ~WorkDirectory();
    WorkDirectory(const WorkDirectory&) = delete;
    WorkDirectory& operator=(const WorkDirectory&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

} // namespace quillory::bench
