#include "scan/Walk.h"

#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "scan/EntryTime.h"
#include "support/ScratchMount.h"
#include "support/TempDir.h"

#include <algorithm>
#include <climits>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::ErrorText;
using test::WriteFile;

struct Seen {
    EntryKind Kind;
    std::string Name;
    std::string Directory;
    LocalDateTime Time;
    std::int64_t Size;
};

// Keeps what the walk hands over; `BeforeEntry` runs before each entry is kept.
class Recorder final : public EntrySink {
public:
    std::vector<Seen> Entries;
    std::function<void()> BeforeEntry;

    void Entry(const WalkEntry& entry) override {
        if (BeforeEntry)
            BeforeEntry();
        Entries.push_back({entry.Kind, std::string(entry.Name), std::string(entry.Directory),
                           entry.Time, entry.Size});
    }

    // "F name \dir\" per entry, in walk order.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const Seen& seen : Entries)
            lines.push_back((seen.Kind == EntryKind::File ? "F " : "D ") + seen.Name + " " +
                            seen.Directory);
        return lines;
    }

    const Seen* Find(std::string_view name) const {
        for (const Seen& seen : Entries)
            if (seen.Name == name)
                return &seen;
        return nullptr;
    }
};

// "7/1/2003 10:04:06", as the record's date and time lines show it.
std::string DateTime(const LocalDateTime& time) {
    const auto clock = GetTimeDateStr(time.Hour, time.Minute, time.Second);
    return FormatDate(time.Day, time.Month, time.Year) + " " + clock[0] + ":" + clock[1] + ":" +
           clock[2];
}

// The visible names of `directory` in the order the file system lists them.
std::vector<std::string> Listed(const std::string& directory) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(directory.c_str());
    while (const dirent* entry = ::readdir(dir))
        if (entry->d_name[0] != '.') {
            names.emplace_back(entry->d_name);
        }
    ::closedir(dir);
    return names;
}

// Creates in the directory `parent` the directory `name` with a chain of
// `depth` directories below it, each holding a file, a directory holding a
// file, and the next link. The links' names are long enough that full paths in
// the chain soon exceed PATH_MAX.
void MakeChain(int parent, const std::string& name, int depth) {
    const std::string link(60, 'n');
    int fd = ::dup(parent);
    std::string next = name;
    for (int level = 0; level <= depth; ++level) {
        ASSERT_EQ(::mkdirat(fd, next.c_str(), 0755), 0);
        const int below = ::openat(fd, next.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = below;
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::mkdirat(fd, "side", 0755), 0);
        for (const char* file : {"file", "side/inner"})
            ::close(::openat(fd, file, O_WRONLY | O_CREAT, 0644));
        next = link + std::to_string(level);
    }
    ::close(fd);
}

// Empties the directory `fd` and closes it, naming everything relative to its
// directory, since the chains above are too deep for full paths.
void Empty(int fd) {
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir)
        return;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir))
        if (std::string_view(entry->d_name) != "." && std::string_view(entry->d_name) != "..")
            names.emplace_back(entry->d_name);
    for (const std::string& name : names)
        if (::unlinkat(fd, name.c_str(), 0) != 0) {
            Empty(::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY));
            ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
        }
    ::closedir(dir);
}

// The lines a walk of the directory `fd` must give, by a plain recursion that
// holds every level open.
void ReferenceWalk(int fd, const std::string& directory, std::vector<std::string>& lines) {
    DIR* dir = ::fdopendir(fd);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat info {};
        if (name[0] == '.' || ::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            ReferenceWalk(::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY),
                          directory + name + "\\", lines);
            lines.push_back("D " + name + " " + directory);
        } else if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) {
            lines.push_back("F " + name + " " + directory);
        }
    }
    ::closedir(dir);
}

// Runs `action` in a child process that may open no more than `descriptors`
// files beside its standard streams and the pipe that hands back what `action`
// returned.
std::string WithDescriptors(rlim_t descriptors, const std::function<std::string()>& action) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], 3);
        ::close_range(4, ~0U, 0);
        // The hard limit too: nothing in the child may raise the limit again.
        const rlimit limit{4 + descriptors, 4 + descriptors};
        ::setrlimit(RLIMIT_NOFILE, &limit);
        const std::string result = action();
        for (std::size_t done = 0; done < result.size();) {
            const ssize_t written = ::write(3, result.data() + done, result.size() - done);
            if (written <= 0)
                ::_exit(1);
            done += std::size_t(written);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string result;
    char buffer[65536];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, std::size_t(got));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child failed: " << status;
    return result;
}

void SetModified(const std::string& path, std::time_t when) {
    const timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// Tests that need a time zone set TZ themselves; no other test depends on it.
void SetZone(const char* zone) {
    ::setenv("TZ", zone, 1);
    ::tzset();
}

class WalkTest : public ::testing::Test {
protected:
    test::TempDir temp;
    std::string top = temp.File("disk");

    void SetUp() override { fs::create_directory(top); }
    void TearDown() override { Empty(::open(top.c_str(), O_RDONLY | O_DIRECTORY)); }

    // Creates each path below the top: a directory when it ends in "/", else a
    // file holding its own path.
    void Make(std::initializer_list<std::string> paths) {
        for (const std::string& path : paths) {
            const std::string full = top + "/" + path;
            if (path.back() == '/') {
                fs::create_directories(full);
            } else {
                fs::create_directories(fs::path(full).parent_path());
                WriteFile(full, path);
            }
        }
    }

    Recorder Walk(const std::string& topDirectory = "\\") {
        Recorder recorder;
        AddItems(top + "/", topDirectory, recorder);
        return recorder;
    }

    // "a" below the top holding the chains "x" and "y" of `depth` levels: the
    // walk leaves "a" while it is deep in one chain and comes back for the other.
    void MakeTwoChains(int depth) {
        Make({"a/"});
        const int a = ::open((top + "/a").c_str(), O_RDONLY | O_DIRECTORY);
        MakeChain(a, "x", depth);
        MakeChain(a, "y", depth);
        ::close(a);
    }

    // The walk's error text followed by its lines, one a line.
    std::string WalkOutcome() {
        Recorder walk;
        std::string outcome = ErrorText([&] { AddItems(top + "/", "\\", walk); });
        for (const std::string& line : walk.Lines())
            outcome += "\n" + line;
        return outcome;
    }
};

TEST_F(WalkTest, ContentsComeBeforeTheirDirectoryInListingOrder) {
    Make({"docs/a.doc", "readme.txt", "a/b/"});
    std::vector<std::string> expected;
    for (const std::string& name : Listed(top)) {
        if (name == "docs")
            expected.insert(expected.end(), {"F a.doc \\docs\\", "D docs \\"});
        else if (name == "a")
            expected.insert(expected.end(), {"D b \\a\\", "D a \\"});
        else
            expected.push_back("F readme.txt \\");
    }
    const Recorder walk = Walk();
    EXPECT_EQ(walk.Lines(), expected);
    EXPECT_EQ(walk.Find("a.doc")->Size, 10);
    EXPECT_EQ(walk.Find("docs")->Size, 0); // never the directory's block size

    const Recorder below = Walk("\\home\\u\\Data\\");
    EXPECT_EQ(below.Find("a.doc")->Directory, "\\home\\u\\Data\\docs\\");
    EXPECT_EQ(below.Find("b")->Directory, "\\home\\u\\Data\\a\\");
    EXPECT_EQ(below.Find("readme.txt")->Directory, "\\home\\u\\Data\\");
}

TEST_F(WalkTest, HiddenNamesAndSpecialFilesAreLeftOut) {
    Make({".git/config", ".profile", "docs/.cache/deep/file", "docs/keep"});
    ASSERT_EQ(::mkfifo((top + "/pipe").c_str(), 0600), 0);
    EXPECT_EQ(Walk().Lines(), (std::vector<std::string>{"F keep \\docs\\", "D docs \\"}));
}

TEST_F(WalkTest, EntriesWithTheHiddenOrSystemAttributeAreLeftOutWithAllBelow) {
    // A file system's attributes as a FAT or NTFS driver would give them.
    class Marked final : public AttributeQuery {
    public:
        bool HiddenOrSystem(int, const char* name) const override {
            return std::string_view(name) == "$RECYCLE.BIN" || std::string_view(name) == "desktop.ini";
        }
    };
    Make({"$RECYCLE.BIN/S-1-5/deleted.doc", "desktop.ini", "docs/desktop.ini", "docs/keep"});
    const Marked marked;
    Recorder walk;
    AddItems(top + "/", "\\", walk, &marked);
    EXPECT_EQ(walk.Lines(), (std::vector<std::string>{"F keep \\docs\\", "D docs \\"}));
    EXPECT_EQ(Walk().Lines().size(), 7u) << "without attributes every entry is listed";

    // Asked only where the file system keeps them; a query that fails for an
    // entry (no FAT driver answers the ioctl here) leaves it visible.
    for (const char* type : {"ext4", "btrfs", "xfs", "tmpfs", "iso9660", "fuseblk"})
        EXPECT_EQ(DosAttributesFor(type, top), nullptr) << type;
    for (const char* type : {"vfat", "msdos", "exfat", "ntfs", "ntfs3"}) {
        const auto query = DosAttributesFor(type, top);
        ASSERT_NE(query, nullptr) << type;
        const int directory = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
        EXPECT_FALSE(query->HiddenOrSystem(directory, "desktop.ini")) << type;
        ::close(directory);
    }
}

TEST_F(WalkTest, SymbolicLinksAreFilesOfTheirOwnAndNeverFollowed) {
    Make({"dir/inner.txt", "target.txt"});
    const std::vector<std::pair<std::string, std::string>> links = {{"file-link", "target.txt"},
                                                                    {"dir-link", "dir"},
                                                                    {"loop", "loop"},
                                                                    {"dangling", "/nowhere"}};
    for (const auto& [name, target] : links)
        fs::create_symlink(target, top + "/" + name);
    SetModified(top + "/file-link", 1000000000); // September 2001, older than its target

    const Recorder walk = Walk();
    EXPECT_EQ(walk.Entries.size(), 7u) << "a link was followed";
    for (const auto& [name, target] : links) {
        const Seen* seen = walk.Find(name);
        ASSERT_TRUE(seen) << name;
        EXPECT_EQ(seen->Kind, EntryKind::File) << name;
        EXPECT_EQ(seen->Size, std::int64_t(target.size())) << name;
        EXPECT_EQ(seen->Directory, "\\") << name;
    }
    EXPECT_EQ(walk.Find("file-link")->Time.Year, 2001);
    EXPECT_EQ(walk.Find("file-link")->Time.Month, 9);
}

TEST_F(WalkTest, TimesUseTheOffsetInForceAtTheEntrysOwnTime) {
    SetZone("Europe/Berlin");
    auto local = [](const char* text) {
        std::tm tm{};
        ::strptime(text, "%Y-%m-%d %H:%M:%S", &tm);
        tm.tm_isdst = -1;
        return std::mktime(&tm);
    };
    const std::time_t winter = local("2003-01-07 10:04:07");
    const std::time_t summer = local("2003-07-05 23:59:59");
    std::tm winterTm{}, summerTm{};
    ::localtime_r(&winter, &winterTm);
    ::localtime_r(&summer, &summerTm);
    if (winterTm.tm_gmtoff == summerTm.tm_gmtoff)
        GTEST_SKIP() << "no zone data with summer time";

    Make({"winter.txt", "summer.txt", "sub/"});
    SetModified(top + "/winter.txt", winter);
    SetModified(top + "/summer.txt", summer);
    SetModified(top + "/sub", local("1999-12-31 00:00:01"));
    const Recorder walk = Walk();
    EXPECT_EQ(DateTime(walk.Find("winter.txt")->Time), "7/1/2003 10:04:06");
    EXPECT_EQ(DateTime(walk.Find("summer.txt")->Time), "5/7/2003 23:59:58");
    EXPECT_EQ(DateTime(walk.Find("sub")->Time), "31/12/1999 00:00:00");
}

TEST(EntryTimeTest, YearsBeyondFourDigitsAreClamped) {
    SetZone("UTC");
    EXPECT_EQ(DateTime(EntryLocalTime(0)), "1/1/1970 00:00:00");
    EXPECT_EQ(DateTime(EntryLocalTime(-40000000000)), "1/1/1000 00:00:00");
    EXPECT_EQ(DateTime(EntryLocalTime(400000000000)), "31/12/9999 23:59:58");
}

TEST_F(WalkTest, UnreadableDirectoryGivesOnlyItsOwnRecord) {
    Make({"locked/inner.txt", "open/inner.txt"});
    fs::permissions(top + "/locked", fs::perms::none);
    // Root reads every directory, so root walks as nobody.
    const bool root = ::geteuid() == 0;
    if (root) {
        for (const std::string& path : {temp.Path(), top, top + "/open"})
            fs::permissions(path, fs::perms::group_all | fs::perms::others_all,
                            fs::perm_options::add);
        if (::seteuid(65534) != 0)
            GTEST_SKIP() << "cannot walk as another user";
    }
    Recorder walk;
    const std::string error = ErrorText([&] { AddItems(top + "/", "\\", walk); });
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    fs::permissions(top + "/locked", fs::perms::owner_all);

    EXPECT_EQ(error, "");
    EXPECT_EQ(walk.Entries.size(), 3u);
    ASSERT_TRUE(walk.Find("locked"));
    EXPECT_EQ(walk.Find("locked")->Kind, EntryKind::Directory);
    EXPECT_EQ(walk.Find("inner.txt")->Directory, "\\open\\");
}

TEST_F(WalkTest, TreesOfAnyDepthAreWalkedWholeUnderALowDescriptorLimit) {
    MakeTwoChains(150);
    std::vector<std::string> reference;
    ReferenceWalk(::open(top.c_str(), O_RDONLY | O_DIRECTORY), "\\", reference);
    ASSERT_EQ(reference.size(), 1 + 2 * 151 * 4u);
    std::string expected;
    std::size_t longest = 0;
    for (const std::string& line : reference) {
        expected += "\n" + line;
        longest = std::max(longest, line.size());
    }
    ASSERT_GT(longest, std::size_t(PATH_MAX)) << "the tree must be too deep for full paths";

    // Lines of some thousand characters: a failure shows the count and the start.
    const std::string limited = WithDescriptors(20, [&] { return WalkOutcome(); });
    for (const std::string& outcome : {WalkOutcome(), limited})
        EXPECT_TRUE(outcome == expected)
            << std::count(outcome.begin(), outcome.end(), '\n') << " of " << reference.size()
            << " records or another order, beginning " << outcome.substr(0, 300);
}

TEST_F(WalkTest, DirectoryNotOpenedForWantOfDescriptorsFailsTheWalk) {
    Make({"a/a/a/a/a/a/file"});
    // The top and three levels below it take the four descriptors.
    EXPECT_EQ(WithDescriptors(4, [&] { return WalkOutcome(); }),
              FormatMessage(msg::CannotReadDirectory, top + "/a/a/a/a") + ": Too many open files");
}

TEST_F(WalkTest, DirectoryGoneOrReplacedWhenOpenedAgainFailsTheWalk) {
    for (const bool replace : {false, true}) {
        MakeTwoChains(20);
        Recorder walk;
        walk.BeforeEntry = [&] {
            if (walk.Entries.empty()) {
                fs::rename(top + "/a", temp.File("old"));
                if (replace)
                    fs::create_directory(top + "/a");
            }
        };
        EXPECT_EQ(ErrorText([&] { AddItems(top + "/", "\\", walk); }),
                  FormatMessage(msg::LocationVanished, top + "/a"))
            << "replaced " << replace;
        Empty(::open(top.c_str(), O_RDONLY | O_DIRECTORY));
        Empty(::open(temp.File("old").c_str(), O_RDONLY | O_DIRECTORY));
        fs::remove(temp.File("old"));
    }
}

TEST_F(WalkTest, LocationReplacedDuringTheWalkOrMissingIsAnError) {
    Make({"a/one.txt"});
    Recorder replacing;
    replacing.BeforeEntry = [&] {
        if (replacing.Entries.empty()) {
            fs::rename(top, temp.File("old"));
            fs::create_directory(top);
        }
    };
    EXPECT_EQ(ErrorText([&] { AddItems(top + "/", "\\", replacing); }),
              FormatMessage(msg::LocationVanished, top + "/"));

    Recorder nothing;
    EXPECT_EQ(ErrorText([&] { AddItems(temp.File("missing/"), "\\", nothing); }),
              FormatMessage(msg::CannotOpenFile, temp.File("missing/")));
}

TEST_F(WalkTest, MountPointsBelowAndBindLoopsAreRecordedButNotEntered) {
    Make({"media/", "sub/keep.txt", "sub/loop/"});
    const test::ScratchMount disc(top + "/media");
    if (!disc.Mounted())
        GTEST_SKIP() << "mounting needs root";
    WriteFile(top + "/media/on-disc.txt", "x");
    const test::ScratchMount loop(top + "/sub/loop", top);
    ASSERT_TRUE(loop.Mounted());

    const Recorder walk = Walk();
    EXPECT_EQ(walk.Entries.size(), 4u);
    EXPECT_TRUE(walk.Find("media"));
    EXPECT_FALSE(walk.Find("on-disc.txt"));
    ASSERT_TRUE(walk.Find("loop"));
    EXPECT_EQ(walk.Find("loop")->Directory, "\\sub\\");
}

} // namespace
} // namespace quillory
