// Searches a synthetic database of 200 catalogs of 10 000 records, plain and
// compressed, with quillory-cli and with the usual tools on the same files in
// the same run, and prints the ratios (ours / reference) and peak memory:
//   - a selective name search against LC_ALL=C grep -F -i -c;
//   - the same on the compressed database against bzip2 -dc | grep, one
//     catalog after another;
//   - listing every record sorted by name against sort -f of the same names.
#include "BenchSupport.h"
#include "SyntheticCatalog.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

using namespace quillory::bench;

namespace {

void Report(const char* what, const Measured& ours, const Measured& reference, const char* tool,
            double target) {
    std::printf("%-22s ours %.3f s, %s %.3f s, ratio %.3f (target <= %.1f), peak memory %.1f MiB\n",
                what, ours.Seconds, tool, reference.Seconds, ours.Seconds / reference.Seconds,
                target, ours.PeakMiB);
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc < 2) {
            std::fprintf(stderr, "usage: bench_search QUILLORY-CLI [catalogs] [records] [runs]\n");
            return 2;
        }
        const std::string cli = argv[1];
        const int catalogs = argc > 2 ? std::atoi(argv[2]) : 200;
        const int records = argc > 3 ? std::atoi(argv[3]) : 10000;
        const int runs = argc > 4 ? std::atoi(argv[4]) : 3;
        WorkDirectory work;
        const std::string root = work.Path();
        // The index the searches make stays in the work directory.
        ::setenv("XDG_CACHE_HOME", work.File("cache").c_str(), 1);
        const std::string q = "'" + cli + "' --root '" + root + "' ";
        WriteSyntheticDatabases(cli, root, catalogs, records);
        Shell("awk 'NR % 7 == 2' '" + root + "/Plain/'*.txt | tr -d '\\r' > '" + root + "/names'");
        const std::string plainBytes = root + "/Plain";

        const Measured selective =
            BestOfShell(runs, q + "find --db Plain --text needle > /dev/null");
        const Measured grep = BestOfShell(runs, "LC_ALL=C grep -F -i -c needle '" + root +
                                                    "/Plain/'*.txt > /dev/null");
        const Measured compressed =
            BestOfShell(runs, q + "find --db Zip --text needle > /dev/null");
        const Measured bzgrep =
            BestOfShell(runs, "for f in '" + root +
                                  "/Zip/'*.bz2; do bzip2 -dc \"$f\" | LC_ALL=C grep "
                                  "-F -i -c needle; done > /dev/null");
        const Measured listing = BestOfShell(runs, q + "find --db Plain > /dev/null");
        const Measured sort = BestOfShell(runs, "sort -f '" + root + "/names' > /dev/null");
        // Equal names may come in either order (the sort has no second key, and
        // the two directories list their catalogs differently), so the lines
        // are compared as sets.
        Shell(q + "find --db Plain --text needle | sort > '" + root + "/plain.csv' && " + q +
              "find --db Zip --text needle | sort > '" + root + "/zip.csv' && cmp -s '" + root +
              "/plain.csv' '" + root + "/zip.csv'");

        std::printf("search: %d catalogs of %d records, locale %s\n", catalogs, records,
                    std::getenv("LC_ALL") ? std::getenv("LC_ALL")
                                          : (std::getenv("LANG") ? std::getenv("LANG") : "C"));
        Shell("du -sh '" + plainBytes + "' | cut -f1 | sed 's/^/plain catalogs: /'");
        Report("selective, plain", selective, grep, "grep -F -i -c", 1.5);
        Report("selective, compressed", compressed, bzgrep, "bzip2 -dc | grep", 0.6);
        Report("all records by name", listing, sort, "sort -f", 1.0);
        std::printf("compressed and plain results equal: yes\n");
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench search: %s\n", error.what());
        return 1;
    }
}
