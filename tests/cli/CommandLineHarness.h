#pragma once

#include "cli/CommandLine.h"
#include "platform/QtSettingsStore.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <utime.h>
#include <vector>

namespace quillory::test {

// What one run of the command line gave.
struct Outcome {
    int Status = 0;
    std::string Out;
    std::string Err;
};

// One run and what it must give; an expectation left out is not checked. Err
// is compared with the first line of standard error (the one line that says
// what is wrong); a failure (status 1) must print that line alone.
struct Case {
    std::string Name;
    std::vector<std::string> Arguments;
    int Status = 0;
    std::optional<std::string> Out{};
    std::optional<std::string> Err{};
};

// The visible and hidden names in `directory`, sorted, joined by spaces.
inline std::string Names(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names)
        joined += (joined.empty() ? "" : " ") + name;
    return joined;
}

// The directory line of the entries at the top of `path`: its path below the
// mount point of the file system holding it, with "\" separators.
inline std::string DirectoryLine(const std::string& path) {
    const std::filesystem::path real = std::filesystem::canonical(path);
    struct stat info {};
    struct stat parent {};
    ::stat(real.c_str(), &info);
    std::filesystem::path mount = real;
    while (mount.has_relative_path() && ::stat(mount.parent_path().c_str(), &parent) == 0 &&
           parent.st_dev == info.st_dev)
        mount = mount.parent_path();
    std::string below = real.string().substr(mount == "/" ? 0 : mount.string().size()) + "/";
    std::replace(below.begin(), below.end(), '/', '\\');
    return below;
}

// Sets the modification time of `path` to `when`, in seconds since 1970 (UTC).
inline void SetTime(const std::string& path, std::time_t when) {
    const utimbuf times{when, when};
    ::utime(path.c_str(), &times);
}

// What the bzip2 program decodes from the file `path`, as another tool reading
// a compressed catalog would.
inline std::string Bunzip2(const std::string& path) {
    std::string decoded;
    if (FILE* pipe = ::popen(("bzip2 -dc '" + path + "'").c_str(), "r")) {
        char buffer[65536];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            decoded.append(buffer, got);
        ::pclose(pipe);
    }
    return decoded;
}

// The command line run in this process against a temporary tree: a database
// root `root`, and the settings file `settingsFile` read through the same
// store as the program's.
class CommandLineTest : public ::testing::Test {
protected:
    TempDir temp;
    std::string root = temp.File("root");
    std::string settingsFile = temp.File("config/Quillory.conf");
    Terminals terminals; // which output streams are taken for terminals

    CommandLineTest() { std::filesystem::create_directories(root); }

    // quillory-cli ARGUMENTS, with standard output going to `out`.
    Outcome RunWith(const std::vector<std::string>& arguments, std::ostream& out) {
        QtSettingsStore store(QString::fromStdString(settingsFile));
        std::ostringstream err;
        const int status = RunCommandLine(arguments, store, out, err, terminals);
        return {status, "", err.str()};
    }

    // quillory-cli ARGUMENTS.
    Outcome RunPlain(const std::vector<std::string>& arguments) {
        std::ostringstream out;
        Outcome outcome = RunWith(arguments, out);
        outcome.Out = out.str();
        return outcome;
    }

    // quillory-cli --root ROOT ARGUMENTS.
    Outcome Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--root", root});
        return RunPlain(arguments);
    }

    void WriteSettings(const std::string& text) {
        std::filesystem::create_directories(temp.File("config"));
        WriteFile(settingsFile, text);
    }

    // Runs the cases in order, each against what the ones before it left.
    void Expect(const std::vector<Case>& cases, bool withRoot = true) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.Name);
            const Outcome outcome = withRoot ? Run(c.Arguments) : RunPlain(c.Arguments);
            EXPECT_EQ(outcome.Status, c.Status) << outcome.Err;
            EXPECT_EQ(outcome.Out, c.Out.value_or(outcome.Out));
            const std::string firstLine = outcome.Err.substr(0, outcome.Err.find('\n'));
            EXPECT_EQ(firstLine, c.Err.value_or(firstLine));
            EXPECT_TRUE(c.Status != 1 || outcome.Err == firstLine + "\n") << outcome.Err;
        }
    }
};

} // namespace quillory::test
