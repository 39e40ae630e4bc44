// Searches a synthetic database of 2 000 catalogs of 10 000 records (20 M),
// plain and compressed, through the search index, and prints every figure as
// a ratio against a tool run in the same process on the same names:
//   - the indexed selective name search against reading every catalog
//     (--no-index), plain and compressed;
//   - the same against plocate over the same names as paths, ignoring case
//     (-i) and in exact case;
//   - building the index against plocate-build over those paths;
//   - the index's size against the plain catalogs' text;
//   - the peak memory of a search.
#include "BenchSupport.h"
#include "SyntheticCatalog.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

using namespace quillory::bench;

namespace {

void Report(const char* what, const Measured& ours, const Measured& reference, const char* tool) {
    std::printf("%-34s ours %.3f s, %s %.3f s, ratio %.3f, peak memory %.1f MiB\n", what,
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
        ::setenv("XDG_CACHE_HOME", work.File("cache").c_str(), 1);
        const std::string q = "'" + cli + "' --root '" + root + "' ";
        WriteSyntheticDatabases(cli, root, catalogs, records);
        // The same names as paths, one disk a top directory, for plocate.
        Shell("for f in '" + root +
              "/Plain/'*.txt; do d=$(basename \"$f\" .txt); "
              "awk -v d=\"$d\" 'NR % 7 == 2 { n = $0 } NR % 7 == 3 { print \"/\" d $0 n }' "
              "\"$f\"; done | tr -d '\\r' | tr '\\\\' '/' > '" +
              root + "/paths'");

        const Measured build = MeasureShell(q + "index --db Plain");
        const Measured locateBuild = MeasureShell("plocate-build --plaintext -l no '" + root +
                                                  "/paths' '" + root + "/plocate.db'");
        const Measured buildZip = MeasureShell(q + "index --db Zip");
        // The parts just written are still going to disk; searches are timed
        // on a settled machine, as a user's would be.
        Shell("sync");
        const std::string locate = "plocate -d '" + root + "/plocate.db' ";

        const Measured plain = BestOfShell(runs, q + "find --db Plain --text needle > /dev/null");
        const Measured zip = BestOfShell(runs, q + "find --db Zip --text needle > /dev/null");
        const Measured plainRead =
            BestOfShell(runs, q + "find --db Plain --text needle --no-index > /dev/null");
        const Measured zipRead =
            BestOfShell(1, q + "find --db Zip --text needle --no-index > /dev/null");
        const Measured locateFolded = BestOfShell(runs, locate + "-i needle > /dev/null");
        const Measured locateExact = BestOfShell(runs, locate + "Needle > /dev/null");
        const Measured listing = BestOfShell(runs, q + "list --db Zip --number 7 > /dev/null");
        const Measured listingRead =
            BestOfShell(runs, q + "list --db Zip --number 7 --no-index > /dev/null");
        Shell(q + "find --db Zip --text needle > '" + root + "/indexed.csv' && " + q +
              "find --db Zip --text needle --no-index > '" + root + "/read.csv' && cmp -s '" +
              root + "/indexed.csv' '" + root + "/read.csv'");
        Shell(q + "find --db Plain --text ee --in both > '" + root + "/indexed.csv' && " + q +
              "find --db Plain --text ee --in both --no-index > '" + root +
              "/read.csv' && cmp -s '" + root + "/indexed.csv' '" + root + "/read.csv'");

        const double text = Bytes(root + "/Plain");
        const double index = Bytes(work.File("cache")) / 2; // of Plain and of Zip
        std::printf("index: %d catalogs of %d records, %.0f MB of plain text\n", catalogs, records,
                    text / 1e6);
        Report("selective, plain, indexed", plain, plainRead, "full read");
        Report("selective, compressed, indexed", zip, zipRead, "full read");
        Report("selective, plain, indexed", plain, locateFolded, "plocate -i");
        Report("selective, compressed, indexed", zip, locateFolded, "plocate -i");
        Report("selective, plain, indexed", plain, locateExact, "plocate");
        Report("listing one compressed disk", listing, listingRead, "full read");
        Report("index build, plain", build, locateBuild, "plocate-build");
        Report("index build, compressed", buildZip, locateBuild, "plocate-build");
        std::printf("index size %.0f MB a database, ratio %.3f of the plain text (bound 0.4); "
                    "plocate's index %.0f MB\n",
                    index / 1e6, index / text, Bytes(root + "/plocate.db") / 1e6);
        std::printf("indexed and full-read results equal: yes\n");
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench index: %s\n", error.what());
        return 1;
    }
}
