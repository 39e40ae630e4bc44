// Every command that changes a database, driven through each of its failure
// points: the Nth rename, removal, write, flush or lock fails, for every N the
// command reaches. Afterwards, and again after the next writer has tidied up,
// the databases read exactly as before the command or exactly as after it,
// never a third way.
#include "common/FileOperations.h"
#include "common/Path.h"
#include "scan/CatalogList.h"
#include "scan/ScanCD.h"
#include "store/CatalogName.h"
#include "store/CatalogReader.h"
#include "store/CompressionMode.h"
#include "store/Database.h"
#include "store/DatabaseAccess.h"
#include "support/TempDir.h"

#include <cerrno>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::WriteFile;

// What a reader sees: each database's form and its catalogs' texts.
struct Reading {
    std::map<std::string, std::pair<bool, std::map<std::string, std::string>>> Databases;
    bool operator==(const Reading&) const = default;
};

class TextCollector final : public CatalogTextSink {
public:
    void Feed(const char* data, std::size_t count) override { Text.append(data, count); }
    void Finish() override {}
    std::string Text;
};

Reading Read(const std::string& root) {
    Reading reading;
    for (const DatabaseEntry& database : ListDatabases(root)) {
        auto& [compressed, catalogs] = reading.Databases[database.Name];
        compressed = database.Compressed;
        const std::string path = DatabasePath(root, database.Name);
        for (const std::string& file : ListCatalogFiles(path, compressed)) {
            TextCollector text;
            ReadCatalogText(JoinPath(path, file), compressed, text);
            catalogs[file] = text.Text;
        }
    }
    return reading;
}

std::string Describe(const Reading& reading) {
    std::string text;
    for (const auto& [name, database] : reading.Databases) {
        text += name + (database.first ? " (compressed):" : " (plain):");
        for (const auto& [file, content] : database.second)
            text += " " + file + "[" + std::to_string(content.size()) + "]";
        text += "\n";
    }
    return text;
}

class FailurePointsTest : public ::testing::Test {
protected:
    // A fresh root with a plain and a compressed database of three catalogs
    // each, and the disk to scan as it was. Catalogs name the disk's path, so
    // the disk stays in one place for every trial.
    std::string Prepare() const {
        const std::string root = temp.File("root/");
        fs::remove_all(root);
        fs::remove_all(disk);
        fs::create_directories(disk + "docs");
        WriteFile(disk + "docs/a.doc", "text");
        WriteFile(disk + "readme.txt", "hello");
        for (const char* entry : {"docs/a.doc", "docs", "readme.txt"})
            fs::last_write_time(disk + entry, Moment);
        fs::create_directory(root);
        for (const bool compressed : {false, true}) {
            const OpenDatabase database =
                OpenOrCreateDatabase(root, compressed ? "Packed" : "Plain", compressed);
            for (const char* number : {"1", "2", "3"})
                ScanCD(database, disk, {"Disk", number}, {});
        }
        return root;
    }

    // Every trial's disk carries the same times, so its catalogs read the same.
    static inline const fs::file_time_type Moment = fs::file_time_type::clock::now();
    test::TempDir temp{"/dev/shm"};
    std::string disk = temp.File("disk/");

    static OpenDatabase Opened(const std::string& root, const std::string& name) {
        return OpenOrCreateDatabase(root, name, false);
    }

    // The next writer of each database, which completes or removes what a
    // failed command left.
    static void Tidy(const std::string& root) {
        for (const DatabaseEntry& database : ListDatabases(root)) {
            try {
                const DatabaseAccess access(DatabasePath(root, database.Name), false,
                                            LockKind::Exclusive);
            } catch (const Error&) {
            }
        }
    }
};

TEST_F(FailurePointsTest, EveryCommandLeavesTheDatabasesAsBeforeOrAsAfter) {
    using Command = std::function<void(const std::string& root, const std::string& disk)>;
    // A scan that could not write its catalog fails as a command.
    const auto scan = [](const OpenDatabase& database, const std::string& disk,
                         const CatalogName& name) {
        const ScanResult result = ScanCD(database, disk, name, {});
        if (result.Outcome != ScanOutcome::Written)
            throw Error(result.Failure);
    };
    const std::vector<std::pair<const char*, Command>> commands = {
        {"compress", [](auto& root, auto&) { CompressDirectory(root + "Plain/"); }},
        {"decompress", [](auto& root, auto&) { DecompressDirectory(root + "Packed/"); }},
        {"scan a new disk",
         [&](auto& root, auto& disk) {
             scan(Opened(root, "Plain"), disk, {"New", "4"});
         }},
        {"scan a new disk, compressed",
         [&](auto& root, auto& disk) {
             scan(Opened(root, "Packed"), disk, {"New", "4"});
         }},
        {"rescan a disk",
         [&](auto& root, auto& disk) {
             WriteFile(disk + "more.txt", "more");
             fs::last_write_time(disk + "more.txt", Moment);
             scan(Opened(root, "Packed"), disk, {"Disk", "2"});
         }},
        {"rename a catalog",
         [](auto& root, auto&) {
             RenameCatalog(Opened(root, "Packed"), {"Disk", "1"}, {"D", "9"});
         }},
        {"delete a catalog",
         [](auto& root, auto&) {
             DeleteCatalog(Opened(root, "Plain"), {"Disk", "3"});
         }},
        {"rename a database",
         [](auto& root, auto&) {
             OpenDatabase none;
             RenameDatabase(root, none, "Plain", "Renamed");
         }},
        {"delete a database",
         [](auto& root, auto&) { DeleteDatabase(root, OpenDatabase(), "Packed"); }},
        {"create a database", [](auto& root, auto&) { OpenOrCreateDatabase(root, "Fresh", true); }},
    };
    const std::vector<std::pair<FileOperation, int>> faults = {
        {FileOperation::Rename, EIO}, {FileOperation::Remove, EIO}, {FileOperation::Write, ENOSPC},
        {FileOperation::Sync, EIO},   {FileOperation::Lock, EIO},
    };
    int trials = 0;
    for (const auto& [name, command] : commands) {
        Reading before;
        Reading after;
        {
            const std::string root = Prepare();
            before = Read(root);
            command(root, disk);
            after = Read(root);
        }
        ASSERT_NE(before, after) << name;
        for (const auto& [operation, error] : faults) {
            for (std::size_t nth = 1;; ++nth) {
                SCOPED_TRACE(std::string(name) + ", operation " +
                             std::to_string(static_cast<int>(operation)) + " failing at call " +
                             std::to_string(nth));
                const std::string root = Prepare();
                InjectFault(InjectedFault{operation, nth, error});
                bool failed = false;
                try {
                    command(root, disk);
                } catch (const Error&) {
                    failed = true;
                }
                const std::size_t reached = OperationsSince(operation);
                InjectFault(std::nullopt);
                ++trials;
                const Reading now = Read(root);
                EXPECT_TRUE(now == before || now == after) << Describe(now);
                if (!failed) {
                    EXPECT_EQ(now, after) << "a command that reports success did its work";
                }
                Tidy(root);
                const Reading tidied = Read(root);
                EXPECT_TRUE(tidied == now || (now == before && tidied == after))
                    << Describe(tidied);
                if (reached < nth)
                    break; // the command never came to this call: every point was tried
            }
        }
    }
    std::cout << "[ failure points ] " << trials << " trials over " << commands.size()
              << " commands\n";
}

} // namespace
} // namespace quillory
