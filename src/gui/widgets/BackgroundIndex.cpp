#include "gui/widgets/BackgroundIndex.h"

#include "index/IndexDatabase.h"

#include <atomic>
#include <map>
#include <optional>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace quillory {

namespace {

// The work's state, touched by the window thread only; the working thread
// reads the stop flag and sets the outcome before it ends.
struct State {
    std::optional<OpenDatabase> Wanted;
    int Pauses = 0;
    std::thread Work;
    std::atomic<bool> StopFlag = false;
    // How the work ended: to its end (Finished), told to stop, or failed (the
    // database gone or held), which a later search may try again.
    enum class Outcome { Running, Finished, Stopped, Failed };
    std::atomic<Outcome> Ended = Outcome::Running;
    std::atomic<std::size_t> Unindexed = 0;
    // For each database, how many catalogs its last whole run left without a
    // part: a search that finds no more than that asks for no new run.
    std::map<std::string, std::size_t> LeftWithout;
};

State& Shared() {
    static State state;
    return state;
}

// The calling thread at the lowest priority that still runs now and then,
// for the processor (nice 19) and for the disk (the lowest of the usual I/O
// class). The idle classes would let it wait for ever behind a busy
// machine, and with it a command that asks it to stop and waits.
void LowestPriority() {
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
    constexpr int IoPriorityWhoProcess = 1, IoPriorityClassBestEffort = 2,
                  IoPriorityClassShift = 13, IoPriorityLowest = 7;
    ::syscall(SYS_ioprio_set, IoPriorityWhoProcess, 0,
              IoPriorityClassBestEffort << IoPriorityClassShift | IoPriorityLowest);
}

// Waits for the work to end, asking it to stop first when `stop`.
void Join(bool stop) {
    State& state = Shared();
    if (!state.Work.joinable())
        return;
    state.StopFlag = stop;
    state.Work.join();
    if (state.Ended == State::Outcome::Finished && state.Wanted)
        state.LeftWithout[state.Wanted->Path] = state.Unindexed;
    if (state.Ended != State::Outcome::Stopped)
        state.Wanted.reset();
}

void StartWhenIdle() {
    State& state = Shared();
    if (state.Pauses > 0 || !state.Wanted || state.Work.joinable())
        return;
    state.StopFlag = false;
    state.Ended = State::Outcome::Running;
    state.Work = std::thread([database = *state.Wanted, &state] {
        LowestPriority();
        try {
            IndexOptions options;
            options.Stop = &state.StopFlag;
            options.OneAtATime = true;
            const IndexReport report = IndexDatabase(database, options);
            state.Unindexed = report.Catalogs - report.Indexed;
            state.Ended = report.Stopped ? State::Outcome::Stopped : State::Outcome::Finished;
        } catch (...) {
            state.Ended = State::Outcome::Failed;
        }
    });
}

} // namespace

void BackgroundIndex::Want(const OpenDatabase& database, std::size_t withoutPart,
                           std::size_t checkedByBytes) {
    State& state = Shared();
    const auto left = state.LeftWithout.find(database.Path);
    if (checkedByBytes == 0 && withoutPart <= (left == state.LeftWithout.end() ? 0 : left->second))
        return;
    if (state.Work.joinable() && state.Wanted && state.Wanted->Path != database.Path)
        Join(true);
    state.Wanted = database;
    StartWhenIdle();
}

BackgroundIndex::Pause::Pause() {
    ++Shared().Pauses;
    Join(true);
}

BackgroundIndex::Pause::~Pause() {
    if (--Shared().Pauses == 0)
        StartWhenIdle();
}

void BackgroundIndex::Stop() {
    Join(true);
    Shared().Wanted.reset();
}

bool BackgroundIndex::Running() {
    State& state = Shared();
    if (state.Work.joinable() && state.Ended != State::Outcome::Running)
        Join(false);
    return state.Work.joinable();
}

} // namespace quillory
