#include "cli/CommandLineHarness.h"
#include "cli/StreamOutput.h"
#include "cli/TerminalText.h"
#include "common/FileOperations.h"
#include "support/DirectorySnapshot.h"

#include <cerrno>
#include <cstring>
#include <streambuf>

namespace quillory {
namespace {

using test::Case;
using test::Outcome;
using test::WriteFile;

const std::vector<std::string> Verbs = {
    "databases",  "create",   "rename-db", "delete-db",      "compress",
    "decompress", "catalogs", "scan",      "rename-catalog", "delete-catalog",
    "find",       "list",     "index",     "settings"};

// A standard output on a full disk: it takes nothing, as a write to /dev/full.
class FullDiskBuffer final : public std::streambuf {
protected:
    int_type overflow(int_type) override {
        errno = ENOSPC;
        return traits_type::eof();
    }
    std::streamsize xsputn(const char*, std::streamsize) override {
        errno = ENOSPC;
        return 0;
    }
};

class CommandLine : public test::CommandLineTest {
protected:
    CommandLine() {
        Expect({{"create", {"create", "Plain"}, 0}});
        std::filesystem::create_directories(temp.File("disk/docs"));
        WriteFile(temp.File("disk/docs/a.doc"), "hello");
    }
};

TEST_F(CommandLine, WrongUsageSaysWhatIsWrongOnOneLineThenTheUsage) {
    const std::vector<Case> cases = {
        {"no command", {}, 2, "", "quillory-cli: no command given"},
        {"unknown command", {"frobnicate"}, 2, "", "quillory-cli: frobnicate: unknown command"},
        {"--root without a directory", {"--root"}, 2, "", "quillory-cli: --root requires a value"},
        {"unknown program option",
         {"--colour", "find"},
         2,
         "",
         "quillory-cli: unknown option --colour"},
        {"settings extra",
         {"settings", "extra"},
         2,
         "",
         "quillory-cli: settings: unexpected argument extra"},
        {"databases x",
         {"databases", "x"},
         2,
         "",
         "quillory-cli: databases: unexpected argument x"},
        {"create", {"create"}, 2, "", "quillory-cli: create: NAME is required"},
        {"create --compressed is no name",
         {"create", "--compressed"},
         2,
         "",
         "quillory-cli: create: NAME is required"},
        {"create a --zip",
         {"create", "a", "--zip"},
         2,
         "",
         "quillory-cli: create: unknown option --zip"},
        {"create a --compressed x",
         {"create", "a", "--compressed", "x"},
         2,
         "",
         "quillory-cli: create: unexpected argument x"},
        {"rename-db a", {"rename-db", "a"}, 2, "", "quillory-cli: rename-db: NEW is required"},
        {"rename-db a b c",
         {"rename-db", "a", "b", "c"},
         2,
         "",
         "quillory-cli: rename-db: unexpected argument c"},
        {"delete-db", {"delete-db"}, 2, "", "quillory-cli: delete-db: NAME is required"},
        {"delete-db a b",
         {"delete-db", "a", "b"},
         2,
         "",
         "quillory-cli: delete-db: unexpected argument b"},
        {"compress", {"compress"}, 2, "", "quillory-cli: compress: NAME is required"},
        {"decompress a b",
         {"decompress", "a", "b"},
         2,
         "",
         "quillory-cli: decompress: unexpected argument b"},
        {"catalogs", {"catalogs"}, 2, "", "quillory-cli: catalogs: --db is required"},
        {"scan without a number",
         {"scan", "--db", "Plain"},
         2,
         "",
         "quillory-cli: scan: --number is required"},
        {"scan --name and --label",
         {"scan", "--db", "Plain", "--number", "1", "--name", "A", "--label"},
         2,
         "",
         "quillory-cli: scan: --name and --label cannot be given together"},
        {"scan without a database",
         {"scan", "--number", "1"},
         2,
         "",
         "quillory-cli: scan: --db is required"},
        {"scan two paths",
         {"scan", "--db", "Plain", "--number", "1", "a", "b"},
         2,
         "",
         "quillory-cli: scan: unexpected argument b"},
        {"rename-catalog short",
         {"rename-catalog", "--db", "Plain", "7", "Disk", "9"},
         2,
         "",
         "quillory-cli: rename-catalog: NEWDISK is required"},
        {"delete-catalog short",
         {"delete-catalog", "--db", "Plain", "9"},
         2,
         "",
         "quillory-cli: delete-catalog: DISK is required"},
        {"find", {"find"}, 2, "", "quillory-cli: find: --db is required"},
        {"find extra",
         {"find", "--db", "Plain", "extra"},
         2,
         "",
         "quillory-cli: find: unexpected argument extra"},
        {"find --colour",
         {"find", "--db", "Plain", "--colour"},
         2,
         "",
         "quillory-cli: find: unknown option --colour"},
        {"find --in elsewhere",
         {"find", "--db", "Plain", "--in", "elsewhere"},
         2,
         "",
         "quillory-cli: find: --in must be name, dir or both"},
        {"find --sort weight",
         {"find", "--db", "Plain", "--sort", "weight"},
         2,
         "",
         "quillory-cli: find: --sort must be name, dir, disk, id, size or date"},
        {"find --text",
         {"find", "--db", "Plain", "--text"},
         2,
         "",
         "quillory-cli: find: --text requires a value"},
        {"list without a number",
         {"list", "--db", "Plain"},
         2,
         "",
         "quillory-cli: list: --number is required"},
        {"list without a database",
         {"list", "--number", "3"},
         2,
         "",
         "quillory-cli: list: --db is required"},
        {"list extra",
         {"list", "--db", "Plain", "--number", "3", "extra"},
         2,
         "",
         "quillory-cli: list: unexpected argument extra"},
    };
    Expect(cases, false);
    // After the line comes the verb's usage, or the general one without a verb.
    const std::string general = RunPlain({"--help"}).Out;
    EXPECT_EQ(RunPlain({}).Err, "quillory-cli: no command given\n" + general);
    EXPECT_EQ(RunPlain({"frobnicate"}).Err,
              "quillory-cli: frobnicate: unknown command\n" + general);
    for (const std::string& verb : Verbs) {
        SCOPED_TRACE(verb);
        const Outcome help = RunPlain({verb, "--help"});
        EXPECT_EQ(help.Status, 0);
        EXPECT_EQ(help.Out.rfind("Usage: quillory-cli [--root DIR] " + verb, 0), 0u);
        EXPECT_EQ(RunPlain({verb, "--unknown"}).Err,
                  "quillory-cli: " + verb + ": unknown option --unknown\n" + help.Out);
    }
    // Nothing was done by a command used wrongly.
    EXPECT_EQ(test::Names(root), "Plain");
}

TEST_F(CommandLine, TheUsageListsEveryVerbWithItsSynopsis) {
    const Outcome help = RunPlain({"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Err, "");
    for (const std::string& verb : Verbs)
        EXPECT_NE(help.Out.find("\n  " + verb + ' '), std::string::npos) << verb;
    for (const char* line :
         {"  scan --db NAME --number K [--name DISK | --label] [PATH]\n",
          "  create NAME [--compressed]                    create a database\n",
          "  find --db NAME [--text T] [--in name|dir|both] [--disk-name X] [--disk-number K]\n"
          "       [--from D/M/YYYY[ hh:mm:ss]] [--to D/M/YYYY[ hh:mm:ss]] [--regex RE]\n"
          "       [--case-sensitive] [--glob PATTERN] [--ext LIST] [--size RANGE] [--type f|d]\n"
          "       [--sort name|dir|disk|id|size|date] [--reverse] [--count]\n"
          "       [--format export|csv|tsv|json|ndjson] [--bom] [--output FILE] [--no-index]\n"
          "       [--keep-going]\n"
          "                                                search a database\n"})
        EXPECT_NE(help.Out.find(line), std::string::npos) << line;
    EXPECT_EQ(RunPlain({"--version"}).Out, "quillory-cli " QUILLORY_VERSION "\n");
}

TEST_F(CommandLine, AStandardOutputThatRefusesWritesFailsTheCommand) {
    const std::string message = "Cannot write standard output: No space left on device.\n";
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--help"},
             {"--version"},
             {"find", "--help"},
             {"--root", root, "scan", "--db", "Plain", "--number", "1", temp.File("disk")},
             {"--root", root, "databases"},
             {"--root", root, "catalogs", "--db", "Plain"},
             {"settings"},
             {"--root", root, "find", "--db", "Plain"},
             {"--root", root, "list", "--db", "Plain", "--number", "1"}}) {
        SCOPED_TRACE(arguments.back());
        FullDiskBuffer full;
        std::ostream out(&full);
        const Outcome outcome = RunWith(arguments, out);
        EXPECT_EQ(outcome.Status, 1);
        EXPECT_EQ(outcome.Err, message);
    }
}

TEST_F(CommandLine, AFailedOutputFileLeavesTheOldFileAndNoOther) {
    Expect({{"scan", {"scan", "--db", "Plain", "--number", "1", temp.File("disk")}, 0}});
    const std::string file = temp.File("out/found.csv");
    std::filesystem::create_directories(temp.File("out"));
    WriteFile(file, "old list\r\n");
    const auto before = test::Snapshot(temp.File("out"));
    InjectFault(InjectedFault{FileOperation::Write, 1, ENOSPC});
    Expect({{"find --output on a full disk",
             {"find", "--db", "Plain", "--output", file},
             1,
             "",
             "No space left on device."}});
    InjectFault(std::nullopt);
    EXPECT_EQ(test::Snapshot(temp.File("out")), before);
    Expect({{"find --output /dev/full",
             {"find", "--db", "Plain", "--output", "/dev/full"},
             1,
             "",
             "No space left on device."}});
}

TEST_F(CommandLine, ProgressShowsOnATerminalAndIsClearedWhenTheWorkEnds) {
    const std::string clear = "\r\x1b[K";
    WriteFile(root + "/Plain/Other!2.txt", "");
    // Once per run: what standard error begins with, and what it ends with.
    const struct {
        std::vector<std::string> Arguments;
        std::string Begins;
        std::string Ends;
    } runs[] = {
        {{"scan", "--db", "Plain", "--number", "1", temp.File("disk")}, clear + "0 entries", clear},
        {{"scan", "--db", "Plain", "--number", "3", temp.File("missing")},
         clear + "0 entries",
         clear + "Disk not available to scan. Please retry.\n"},
        {{"find", "--db", "Plain"}, clear + "0 of 2 catalogs read, 0 matches", clear},
        {{"list", "--db", "Plain", "--number", "1"},
         clear + "0 of 1 catalogs read, 0 matches",
         clear},
        {{"compress", "Plain"},
         clear + "1 of 2 catalogs converted" + clear + "2 of 2 catalogs converted" + clear,
         ""},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.Arguments[0]);
        terminals.Err = false;
        const Outcome quiet = Run(run.Arguments);
        if (run.Arguments[0] == "compress")
            Run({"decompress", "Plain"});
        terminals.Err = true;
        const Outcome shown = Run(run.Arguments);
        EXPECT_EQ(shown.Out, quiet.Out);
        EXPECT_EQ(shown.Err.rfind(run.Begins, 0), 0u) << shown.Err;
        ASSERT_GE(shown.Err.size(), run.Ends.size());
        EXPECT_EQ(shown.Err.substr(shown.Err.size() - run.Ends.size()), run.Ends) << shown.Err;
        EXPECT_EQ(quiet.Err, run.Ends.substr(std::min(run.Ends.size(), clear.size())));
    }
}

TEST(TerminalText, ShowsEveryControlCharacterEscapedAndNothingElse) {
    const struct {
        std::string Text;
        bool KeepLineEnds;
        std::string Shown;
    } cases[] = {
        {"Backup 2003", false, "Backup 2003"},
        {"Evil\x1b]0;pwned\x07\x1b[2J", false, "Evil\\033]0;pwned\\007\\033[2J"},
        {"a\tb\nc\rd\x01", false, "a\\011b\\012c\\015d\\001"},
        {"\x7f", false, "\\177"},
        {"\xc2\x9b"
         "2J",
         false, "\\302\\2332J"}, // C1 as UTF-8
        {"\x9b"
         "2J \x85",
         false, "\\2332J \\205"}, // C1 as lone bytes
        {"\xc3\xa9\xe2\x82\xac\xc4\x80\xf0\x9f\x98\x80", false,
         "\xc3\xa9\xe2\x82\xac\xc4\x80\xf0\x9f\x98\x80"},
        {"\xe9t\xe9", false, "\xe9t\xe9"}, // Latin-1 letters
        {"a, b\r\nc\n\rd", true, "a, b\r\nc\n\\015d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TerminalText(c.Text, c.KeepLineEnds), c.Shown) << c.Text;
    // Written in pieces to a terminal, a line end or a character cut in two
    // stays whole.
    std::ostringstream out;
    StreamOutput terminal(out, true);
    for (const char* piece : {"x\r", "\n\xe2\x82", "\xac\x1b", "\r"})
        terminal.Write(piece, std::strlen(piece));
    terminal.Finish();
    EXPECT_EQ(out.str(), "x\r\n\xe2\x82\xac\\033\\015");
}

TEST_F(CommandLine, NamesReachATerminalEscapedAndFilesAndPipesByteForByte) {
    // Names made by hand, as the program itself refuses them.
    const std::string evil = "Evil\x1b]0;pwned\x07\x1b[2J";
    const std::string shown = "Evil\\033]0;pwned\\007\\033[2J";
    for (const std::string& db : {evil, std::string("Odd")}) {
        std::filesystem::create_directory(root + "/" + db);
        WriteFile(root + "/" + db + "/VLR_STD", "");
    }
    WriteFile(root + "/Odd/" + evil + "!1.txt",
              "F\r\n" + evil + "\r\n\\\r\n1/3/2003\r\n10:00:00\r\n5\r\n-----\r\n");
    // Standard output, and the first line of standard error after progress.
    const auto run = [&](const std::vector<std::string>& arguments, bool terminal) {
        terminals = {.Out = terminal, .Err = terminal};
        const Outcome outcome = Run(arguments);
        terminals = {};
        const std::size_t progress = outcome.Err.rfind("\r\x1b[K");
        const std::string err =
            outcome.Err.substr(progress == std::string::npos ? 0 : progress + 4);
        return outcome.Out + err.substr(0, err.find('\n') + 1);
    };
    const struct {
        std::vector<std::string> Arguments;
        std::string Shown;
    } cases[] = {
        {{"databases"}, shown + "\tN\nOdd\tN\nPlain\tN\n"},
        {{"catalogs", "--db", "Odd"}, "1\t" + shown + "\n"},
        {{"list", "--db", "Odd", "--number", "1", "--no-index"},
         shown + ", \\, " + shown + ", 1, 5, 1/3/2003       ,10:00:00\r\n"},
        {{"find", "--db", "Odd", "--" + evil},
         "quillory-cli: find: unknown option --" + shown + "\n"},
        {{"find", "--db", "Odd", "--no-index"},
         "Cannot read file " + root + "/Odd/" + shown + "!2.txt.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Arguments[0]);
        if (c.Arguments.back() == "--no-index" && c.Arguments[0] == "find") // reads fail
            std::filesystem::create_symlink("/proc/self/mem", root + "/Odd/" + evil + "!2.txt");
        EXPECT_EQ(run(c.Arguments, true), c.Shown);
        std::string raw = c.Shown;
        for (std::size_t at; (at = raw.find(shown)) != std::string::npos;)
            raw.replace(at, shown.size(), evil);
        EXPECT_EQ(run(c.Arguments, false), raw);
    }
}

} // namespace
} // namespace quillory
