#include "cli/CommandLine.h"
#include "common/Parallel.h"
#include "platform/QtSettingsStore.h"

#include <clocale>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    quillory::StartWorkers();
    // Locale-aware comparisons follow the user's environment, as in the desktop program.
    std::setlocale(LC_ALL, "");
    quillory::QtSettingsStore store;
    return quillory::RunCommandLine(
        {argv + 1, argv + argc}, store, std::cout, std::cerr,
        {.Out = ::isatty(STDOUT_FILENO) == 1, .Err = ::isatty(STDERR_FILENO) == 1});
}
