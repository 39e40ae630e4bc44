// Compresses and decompresses a 64 MiB synthetic catalog with Compress and with
// the system's bzip2 program on the same data, and prints the time ratios
// (ours / bzip2) and this process's peak memory.
#include "BenchSupport.h"
#include "SyntheticCatalog.h"
#include "store/BZip2.h"

#include <cstdio>
#include <exception>

using namespace quillory;
using namespace quillory::bench;

int main(int argc, char** argv) {
    try {
        const std::int64_t bytes = (argc > 1 ? std::atoll(argv[1]) : 64) << 20;
        const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
        WorkDirectory work;
        const std::string plain = work.File("catalog.txt");
        WriteSyntheticCatalog(plain, bytes, 1);

        const double oursCompress =
            BestSeconds(runs, [&] { Compress(plain, work.File("ours.bz2"), true); });
        const double bzip2Compress = BestSeconds(
            runs, [&] { Shell("bzip2 -1 -c '" + plain + "' > '" + work.File("ref.bz2") + "'"); });
        Shell("cmp -s '" + work.File("ours.bz2") + "' '" + work.File("ref.bz2") + "'");

        const double oursDecompress = BestSeconds(
            runs, [&] { Compress(work.File("ours.bz2"), work.File("ours.out"), false); });
        const double bzip2Decompress = BestSeconds(runs, [&] {
            Shell("bzip2 -d -c '" + work.File("ours.bz2") + "' > '" + work.File("ref.out") + "'");
        });
        Shell("cmp -s '" + plain + "' '" + work.File("ours.out") + "'");

        std::printf("codec: %.1f MiB synthetic catalog, best of %d runs\n", bytes / 1048576.0,
                    runs);
        std::printf("compress:   ours %.2f s, bzip2 -1 %.2f s, ratio %.3f (target <= 1.05)\n",
                    oursCompress, bzip2Compress, oursCompress / bzip2Compress);
        std::printf("decompress: ours %.2f s, bzip2 -d %.2f s, ratio %.3f (target <= 1.05)\n",
                    oursDecompress, bzip2Decompress, oursDecompress / bzip2Decompress);
        std::printf("streams identical to bzip2 -1: yes\n");
        std::printf("peak memory (ours, whole process): %.1f MiB (target < 16)\n", PeakMemoryMiB());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench codec: %s\n", error.what());
        return 1;
    }
}
