// Commands killed at random moments (SIGKILL, so nothing of theirs runs
// after it): the databases read as before or as after, also once the next
// writer has completed or removed what the killed one left. A longer run of
// the same with the real command line is tests/stress/kill-commands.
#include "scan/ScanCD.h"
#include "store/CatalogReader.h"
#include "store/CompressionMode.h"
#include "store/Database.h"
#include "store/DatabaseAccess.h"
#include "support/TempDir.h"

#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::WriteFile;

class TextCollector final : public CatalogTextSink {
public:
    void Feed(const char* data, std::size_t count) override { Text.append(data, count); }
    void Finish() override {}
    std::string Text;
};

// The database's form and its catalogs' texts, as a reader sees them.
std::pair<bool, std::map<std::string, std::string>> Read(const std::string& path) {
    const bool compressed = MarkedCompressed(path).value();
    std::map<std::string, std::string> catalogs;
    for (const std::string& file : ListCatalogFiles(path, compressed)) {
        TextCollector text;
        ReadCatalogText(path + file, compressed, text);
        catalogs[file] = text.Text;
    }
    return {compressed, catalogs};
}

// Runs `command` in a child process and kills it after `delay`; true when it
// had finished before.
bool RunAndKill(const std::function<void()>& command, std::chrono::microseconds delay) {
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            command();
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    ::usleep(static_cast<useconds_t>(delay.count()));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status);
}

TEST(KillTest, AKilledCommandLeavesTheDatabaseAsBeforeOrAsAfter) {
    const test::TempDir temp{"/dev/shm"};
    const std::string disk = temp.File("disk/");
    fs::create_directories(disk + "sub");
    for (int i = 0; i < 1000; ++i)
        WriteFile(disk + (i % 3 ? "sub/f" : "f") + std::to_string(i), "x");
    const auto prepare = [&](bool compressed) {
        const std::string root = temp.File("root/");
        fs::remove_all(root);
        fs::create_directory(root);
        const OpenDatabase database = OpenOrCreateDatabase(root, "Db", compressed);
        for (int i = 0; i < 6; ++i)
            ScanCD(database, disk, {"Disk", std::to_string(i)}, {});
        return database;
    };
    const std::vector<std::pair<bool, std::function<void(const OpenDatabase&)>>> commands = {
        {false, [](const OpenDatabase& db) { CompressDirectory(db.Path); }},
        {true, [](const OpenDatabase& db) { DecompressDirectory(db.Path); }},
        {true,
         [&](const OpenDatabase& db) {
             ScanCD(db, disk, {"Disk", "3"}, {});
         }},
    };
    const auto addNew = [&, moment = fs::file_time_type::clock::now()] {
        WriteFile(disk + "new", "new");
        fs::last_write_time(disk + "new", moment);
    };
    std::mt19937 random(20261209);
    int finished = 0;
    int trials = 0;
    for (const auto& [compressed, command] : commands) {
        OpenDatabase database = prepare(compressed);
        const auto before = Read(database.Path);
        addNew();
        command(database);
        const auto after = Read(database.Path);
        fs::remove(disk + "new");
        for (int trial = 0; trial < 8; ++trial, ++trials) {
            database = prepare(compressed);
            addNew();
            const auto delay = std::chrono::microseconds(random() % 30'000);
            finished += RunAndKill([&] { command(database); }, delay) ? 1 : 0;
            fs::remove(disk + "new");
            const auto killed = Read(database.Path);
            EXPECT_TRUE(killed == before || killed == after) << trial << " after " << delay.count();
            const DatabaseAccess next(database.Path, false, LockKind::Exclusive);
            const auto tidied = Read(database.Path);
            EXPECT_TRUE(tidied == killed || (killed == before && tidied == after)) << trial;
            for (const auto& entry : fs::directory_iterator(database.Path))
                EXPECT_NE(entry.path().filename().string()[0], '.') << "a leftover stays";
        }
    }
    std::cout << "[ kills ] " << trials << " trials, " << finished << " finished before the kill\n";
}

} // namespace
} // namespace quillory
