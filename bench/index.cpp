// Searches a synthetic database of 2 000 catalogs of 10 000 records (20 M),
// plain and compressed, through the search index, and prints every figure as
// a ratio against a tool run in the same process on the same names:
//   - the first search with an empty cache against reading every catalog
//     (--no-index): the index must never be in the way;
//   - building the index against plocate-build over the same names as paths;
//   - the indexed selective name search against plocate -i and against
//     reading every catalog;
//   - the index's size against the plain catalogs' text;
//   - the peak memory of `index` over a catalog that decodes to 2 GiB (a
//     bzip2 bomb), against the same search without the index;
//   - 100 000 catalogs of one record each (floppies, memory cards), searched;
//   - the further filters through the index: a regular expression against
//     the --text search of its literal, size and extension against the
//     --text search of the extension, each format of the 2 M matches of
//     that search against the export lines, and a pathological expression
//     over names of 10 000 letters against grep -E.
#include "BenchSupport.h"
#include "SyntheticCatalog.h"
#include "store/BZip2.h"
#include "store/CatalogRecord.h"
#include "store/FileStream.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>

using namespace quillory;
using namespace quillory::bench;

namespace {

void Report(const char* what, const Measured& ours, const Measured& reference, const char* tool) {
    std::printf("%-40s ours %.3f s, %s %.3f s, ratio %.3f, peak memory %.1f MiB\n", what,
                ours.Seconds, tool, reference.Seconds, ours.Seconds / reference.Seconds,
                ours.PeakMiB);
}

double Bytes(const std::string& path) {
    const std::string command = "du -sb '" + path + "' | cut -f1";
    FILE* pipe = ::popen(command.c_str(), "r");
    double bytes = 0;
    if (pipe && std::fscanf(pipe, "%lf", &bytes) != 1)
        bytes = 0;
    if (pipe)
        ::pclose(pipe);
    return bytes;
}

void Write(const std::string& path, const std::string& bytes, bool append = false) {
    FILE* file = std::fopen(path.c_str(), append ? "ab" : "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0)
        throw std::runtime_error("cannot write " + path);
}

// A compressed database "Bomb" whose one catalog decodes to `bytes` bytes of
// records alike: one bzip2 stream of 16 MiB of them, joined to itself.
void WriteBomb(const std::string& q, const std::string& root, std::int64_t bytes) {
    Shell(q + "create Bomb --compressed");
    std::string records;
    while (records.size() < (std::size_t{16} << 20))
        AppendRecord(records, EntryKind::File, "the same name.txt", "\\same\\",
                     {1, 2, 2003, 10, 0, 0}, 5);
    Write(root + "/piece.txt", records);
    Compress(root + "/piece.txt", root + "/piece.bz2", true);
    std::string packed;
    if (FILE* file = std::fopen((root + "/piece.bz2").c_str(), "rb")) {
        char buffer[65536];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            packed.append(buffer, got);
        std::fclose(file);
    }
    const std::string catalog = root + "/Bomb/Bomb!1.txt.bz2";
    Write(catalog, "");
    for (std::int64_t decoded = 0; decoded < bytes;
         decoded += static_cast<std::int64_t>(records.size()))
        Write(catalog, packed, true);
    std::printf("bomb: %.0f KB of bzip2 decoding to %.0f MB\n", Bytes(catalog) / 1e3,
                static_cast<double>(bytes) / 1e6);
}

// A plain database "Floppies" of `catalogs` catalogs of one record each, and
// a compressed copy "FloppiesZip".
void WriteFloppies(const std::string& q, const std::string& root, int catalogs) {
    Shell(q + "create Floppies");
    for (int i = 0; i < catalogs; ++i) {
        const std::string name = i % 1000 == 0 ? "Needle photo.jpg" : "Holiday photo.jpg";
        Write(root + "/Floppies/Floppy " + std::to_string(i) + "!" + std::to_string(i) + ".txt",
              FormatRecord(EntryKind::File, name, "\\Photos\\", {1, 2, 2003, 10, 0, 0}, i));
    }
    Shell("cp -r '" + root + "/Floppies' '" + root + "/FloppiesZip' && " + q +
          "compress FloppiesZip");
}

// A plain database "Long" of one catalog of `count` names of 10 000 "a",
// every other one ending in "b", and those names in the file `names`.
void WriteLongNames(const std::string& q, const std::string& root, int count) {
    Shell(q + "create Long");
    std::string records, names;
    for (int i = 0; i < count; ++i) {
        const std::string name = std::string(10000, 'a') + (i % 2 ? "b" : "");
        AppendRecord(records, EntryKind::File, name, "\\", {1, 2, 2003, 10, 0, 0}, i);
        names += name + "\n";
    }
    Write(root + "/Long/Long!1.txt", records);
    Write(root + "/names", names);
}

// The further filters, through the index of Plain and Zip built before.
void ReportFilters(const std::string& q, const std::string& root, int runs) {
    for (const char* database : {"Plain", "Zip"}) {
        const std::string find = q + "find --db " + database + " ";
        std::printf("filters over %s:\n", database);
        Report("  --regex 'needle [0-9]+'",
               BestOfShell(runs, find + "--regex 'needle [0-9]+' > /dev/null"),
               BestOfShell(runs, find + "--text needle > /dev/null"), "--text needle");
        Report("  --size '>9M' --ext jpg",
               BestOfShell(runs, find + "--size '>9M' --ext jpg > /dev/null"),
               BestOfShell(runs, find + "--text jpg > /dev/null"), "--text jpg");
        Report("  --count --size '>9M' --ext jpg",
               BestOfShell(runs, find + "--count --size '>9M' --ext jpg > /dev/null"),
               BestOfShell(runs, find + "--text jpg > /dev/null"), "--text jpg");
        const Measured exported = BestOfShell(runs, find + "--text jpg > /dev/null");
        for (const char* format : {"csv", "tsv", "json", "ndjson"})
            Report((std::string("  --text jpg --format ") + format).c_str(),
                   BestOfShell(runs, find + "--text jpg --format " + format + " > /dev/null"),
                   exported, "export");
        for (const char* search : {"--regex 'needle [0-9]+' --in both", "--size '>9M' --ext jpg",
                                   "--glob '*7.JPG' --type f", "--regex '^.{30,}$'"})
            Shell(find + search + " --format csv > '" + root + "/indexed.csv' && " + find + search +
                  " --format csv --no-index > '" + root + "/read.csv' && cmp -s '" + root +
                  "/indexed.csv' '" + root + "/read.csv'");
    }
    WriteLongNames(q, root, 1000);
    Shell(q + "index --db Long");
    const Measured grep = BestOfShell(runs, "grep -cE '(a+)+$' '" + root + "/names' > /dev/null");
    Report("'(a+)+$' over 1 000 names of 10 000 a, indexed",
           BestOfShell(runs, q + "find --db Long --regex '(a+)+$' > /dev/null"), grep, "grep -E");
    Report("'(a+)+$' over 1 000 names of 10 000 a, read",
           BestOfShell(runs, q + "find --db Long --regex '(a+)+$' --no-index > /dev/null"), grep,
           "grep -E");
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc < 2) {
            std::fprintf(stderr, "usage: bench_index QUILLORY-CLI [catalogs] [records] [runs]\n");
            return 2;
        }
        const std::string cli = argv[1];
        const int catalogs = argc > 2 ? std::atoi(argv[2]) : 2000;
        const int records = argc > 3 ? std::atoi(argv[3]) : 10000;
        const int runs = argc > 4 ? std::atoi(argv[4]) : 5;
        WorkDirectory work;
        const std::string root = work.Path();
        const std::string cache = work.File("cache");
        ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        const std::string q = "'" + cli + "' --root '" + root + "' ";
        WriteSyntheticDatabases(cli, root, catalogs, records);
        // The same names as paths, one disk a top directory, for plocate.
        Shell("for f in '" + root +
              "/Plain/'*.txt; do d=$(basename \"$f\" .txt); "
              "awk -v d=\"$d\" 'NR % 7 == 2 { n = $0 } NR % 7 == 3 { print \"/\" d $0 n }' "
              "\"$f\"; done | tr -d '\\r' | tr '\\\\' '/' > '" +
              root + "/paths'");
        const std::string find = q + "find --text needle ";
        const std::string dropCache = "rm -rf '" + cache + "' && ";

        // Before any index: a search reads every catalog, as without one.
        const Measured firstPlain =
            BestOfShell(runs, dropCache + find + "--db Plain > /dev/null 2>&1");
        const Measured readPlain =
            BestOfShell(runs, dropCache + find + "--db Plain --no-index > /dev/null");
        const Measured firstZip = BestOfShell(1, dropCache + find + "--db Zip > /dev/null 2>&1");
        const Measured readZip =
            BestOfShell(1, dropCache + find + "--db Zip --no-index > /dev/null");

        const Measured build = MeasureShell(q + "index --db Plain");
        const Measured locateBuild = MeasureShell("plocate-build --plaintext -l no '" + root +
                                                  "/paths' '" + root + "/plocate.db'");
        const Measured buildZip = MeasureShell(q + "index --db Zip");
        // The parts just written are still going to disk; searches are timed
        // on a settled machine, as a user's would be.
        Shell("sync");
        const std::string locate = "plocate -d '" + root + "/plocate.db' ";
        const Measured plain = BestOfShell(runs, find + "--db Plain > /dev/null");
        const Measured zip = BestOfShell(runs, find + "--db Zip > /dev/null");
        const Measured locateFolded = BestOfShell(runs, locate + "-i needle > /dev/null");
        const Measured listing = BestOfShell(runs, q + "list --db Zip --number 7 > /dev/null");
        const Measured listingRead =
            BestOfShell(runs, q + "list --db Zip --number 7 --no-index > /dev/null");
        for (const char* database : {"Plain", "Zip"}) {
            for (const char* search : {"--text needle", "--text ee --in both", "--text jpg"})
                Shell(q + "find --db " + database + " " + search + " > '" + root +
                      "/indexed.csv' && " + q + "find --db " + database + " " + search +
                      " --no-index > '" + root + "/read.csv' && cmp -s '" + root +
                      "/indexed.csv' '" + root + "/read.csv'");
        }
        const double text = Bytes(root + "/Plain");
        const double index = Bytes(cache) / 2; // of Plain and of Zip

        ReportFilters(q, root, runs);

        // A catalog too large for a part: made within bounded memory, then read.
        WriteBomb(q, root, std::int64_t{2} << 30);
        const Measured bombIndex = MeasureShell(q + "index --db Bomb 2>/dev/null; test $? -eq 1");
        const Measured bombRead =
            MeasureShell(q + "find --db Bomb --text needle --no-index > /dev/null");

        // Many small catalogs.
        WriteFloppies(q, root, 100000);
        const Measured floppiesRead =
            BestOfShell(runs, q + "find --db Floppies --text needle --no-index > /dev/null");
        const Measured floppiesZipRead =
            BestOfShell(runs, q + "find --db FloppiesZip --text needle --no-index > /dev/null");
        Shell(q + "index --db Floppies && " + q + "index --db FloppiesZip");
        const Measured floppies =
            BestOfShell(runs, q + "find --db Floppies --text needle > /dev/null");
        const Measured floppiesZip =
            BestOfShell(runs, q + "find --db FloppiesZip --text needle > /dev/null");

        std::printf("index: %d catalogs of %d records, %.0f MB of plain text\n", catalogs, records,
                    text / 1e6);
        Report("first search, empty cache, plain", firstPlain, readPlain, "full read");
        Report("first search, empty cache, compressed", firstZip, readZip, "full read");
        Report("index build, plain", build, locateBuild, "plocate-build");
        Report("index build, compressed", buildZip, locateBuild, "plocate-build");
        Report("selective, plain, indexed", plain, locateFolded, "plocate -i");
        Report("selective, compressed, indexed", zip, locateFolded, "plocate -i");
        Report("selective, plain, indexed", plain, readPlain, "full read");
        Report("selective, compressed, indexed", zip, readZip, "full read");
        Report("listing one compressed disk", listing, listingRead, "full read");
        std::printf("index size %.0f MB a database, ratio %.3f of the plain text; "
                    "plocate's index %.0f MB\n",
                    index / 1e6, index / text, Bytes(root + "/plocate.db") / 1e6);
        Report("index over a 2 GiB bomb", bombIndex, bombRead, "full read");
        Report("100 000 one-record catalogs, plain", floppies, floppiesRead, "full read");
        Report("100 000 one-record catalogs, compressed", floppiesZip, floppiesZipRead,
               "full read");
        std::printf("indexed and full-read results equal: yes\n");
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench index: %s\n", error.what());
        return 1;
    }
}
