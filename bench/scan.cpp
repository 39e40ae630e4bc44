// Builds a synthetic tree (by default 200 000 files in 20 000 directories) and
// times `quillory-cli scan` into a plain database against `find -printf`
// writing records of the same fields, warm cache, best of several runs (the
// scan makes the new catalog's search index part on a second core meanwhile). Also
// scans a tree ten times smaller to show that memory does not grow with the
// number of files.
#include "BenchSupport.h"

#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillory::bench;

namespace {

// `directories` directories, each holding `filesEach` small files, spread over
// a tree four levels deep, as on a disk of photos and documents.
void MakeTree(const std::string& root, int directories, int filesEach) {
    ::mkdir(root.c_str(), 0755);
    for (int d = 0; d < directories; ++d) {
        const std::string path = root + "/set" + std::to_string(d % 20) + "/album" +
                                 std::to_string(d % 400) + "/roll" + std::to_string(d);
        Shell("mkdir -p '" + path + "'");
        for (int f = 0; f < filesEach; ++f) {
            const std::string file = path + "/IMG_" + std::to_string(d * filesEach + f) + ".jpg";
            const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0)
                throw std::runtime_error("cannot create " + file);
            ::ftruncate(fd, (d * 7919 + f * 104729) % 5000000);
            ::close(fd);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc < 2) {
            std::fprintf(stderr,
                         "usage: bench_scan QUILLORY-CLI [directories] [files-each] [runs]\n");
            return 2;
        }
        const std::string cli = argv[1];
        const int directories = argc > 2 ? std::atoi(argv[2]) : 20000;
        const int filesEach = argc > 3 ? std::atoi(argv[3]) : 10;
        const int runs = argc > 4 ? std::atoi(argv[4]) : 3;
        WorkDirectory work;
        const std::string tree = work.File("tree");
        const std::string small = work.File("small");
        MakeTree(tree, directories, filesEach);
        MakeTree(small, directories / 10, filesEach);
        Shell("'" + cli + "' --root '" + work.Path() + "' create Bench");

        const std::string scan = "'" + cli + "' --root '" + work.Path() +
                                 "' scan --db Bench --number 1 --name Tree '" + tree +
                                 "' >/dev/null";
        const std::string find = "find '" + tree +
                                 "' -printf '%y\\n%f\\n%h\\n%T@\\n%s\\n-----\\n' > '" +
                                 work.File("find.txt") + "'";
        const Measured ours = BestOfShell(runs, scan);
        const Measured reference = BestOfShell(runs, find);
        const Measured smaller =
            MeasureShell("'" + cli + "' --root '" + work.Path() +
                         "' scan --db Bench --number 2 --name Small '" + small + "' >/dev/null");

        std::printf("scan: %d files in %d directories, warm cache, best of %d runs\n",
                    directories * filesEach, directories, runs);
        std::printf("quillory-cli scan %.3f s, find -printf %.3f s, ratio %.3f (target <= 0.9)\n",
                    ours.Seconds, reference.Seconds, ours.Seconds / reference.Seconds);
        std::printf("peak memory of quillory-cli: %.1f MiB for %d files, %.1f MiB for %d files\n",
                    ours.PeakMiB, directories * filesEach, smaller.PeakMiB,
                    directories / 10 * filesEach);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench scan: %s\n", error.what());
        return 1;
    }
}
