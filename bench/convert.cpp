// Converts a database of synthetic catalogs with CompressDirectory and
// DecompressDirectory, and the same files with the system's bzip2 run one
// after another, and prints the time ratios (ours / bzip2). The converted
// files must equal bzip2's, so the parallel run writes what a one-at-a-time
// run writes.
#include "BenchSupport.h"
#include "SyntheticCatalog.h"
#include "store/CompressionMode.h"
#include "store/Database.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>

using namespace quillory;
using namespace quillory::bench;

int main(int argc, char** argv) {
    try {
        const int catalogs = argc > 1 ? std::atoi(argv[1]) : 200;
        const int records = argc > 2 ? std::atoi(argv[2]) : 20000;
        WorkDirectory work;
        const std::string database = work.File("db") + "/";
        const std::string reference = work.File("ref");
        Shell("mkdir -p '" + database + "' '" + reference + "'");
        WriteMarker(database, false);
        for (int i = 0; i < catalogs; ++i) {
            const std::string name = "Disk " + std::to_string(i) + "!" + std::to_string(i) + ".txt";
            WriteSyntheticRecords(database + name, records, static_cast<std::uint64_t>(i + 1));
        }
        Shell("cp '" + database + "'*.txt '" + reference + "/'");
        Shell("du -sh '" + database + "' | cut -f1 | sed 's/^/plain database: /'");

        const auto time = [](auto work) {
            const auto start = std::chrono::steady_clock::now();
            work();
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
        const double oursCompress = time([&] { CompressDirectory(database); });
        const double bzip2Compress = time([&] {
            Shell("cd '" + reference +
                  "' && for f in *.txt; do bzip2 -1 -c \"$f\" > \"$f.bz2\"; done");
        });
        Shell("cd '" + reference + "' && for f in *.bz2; do cmp -s \"$f\" '" + database +
              "'\"$f\" || exit 1; done");

        const double oursDecompress = time([&] { DecompressDirectory(database); });
        const double bzip2Decompress = time([&] {
            Shell("cd '" + reference +
                  "' && for f in *.bz2; do bzip2 -d -c \"$f\" > \"${f%.bz2}.out\"; done");
        });
        Shell("cd '" + reference + "' && for f in *.txt; do cmp -s \"$f\" '" + database +
              "'\"$f\" || exit 1; done");

        std::printf("convert: %d catalogs of %d records, %u cores\n", catalogs, records,
                    std::thread::hardware_concurrency());
        std::printf("compress:   ours %.2f s, bzip2 -1 one after another %.2f s, ratio %.3f "
                    "(target <= 0.6)\n",
                    oursCompress, bzip2Compress, oursCompress / bzip2Compress);
        std::printf("decompress: ours %.2f s, bzip2 -d one after another %.2f s, ratio %.3f "
                    "(target <= 0.6)\n",
                    oursDecompress, bzip2Decompress, oursDecompress / bzip2Decompress);
        std::printf("files identical to a one-at-a-time run: yes\n");
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench convert: %s\n", error.what());
        return 1;
    }
}
