#include "store/CompressionMode.h"

#include "common/FileSystem.h"
#include "common/Parallel.h"
#include "common/Path.h"
#include "store/BZip2.h"
#include "store/CatalogName.h"
#include "store/DatabaseLayout.h"

#include <cstdio>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace quillory {

namespace {

struct Conversion {
    std::string Source;      // the catalog as it is
    std::string Destination; // the catalog in the other form
    std::string Temporary;   // where the other form is written first
};

std::vector<Conversion> PlanConversions(const std::string& path, bool compress) {
    std::vector<Conversion> plan;
    for (const std::string& name : ListCatalogFiles(path, !compress)) {
        Conversion conversion;
        conversion.Source = JoinPath(path, name);
        // Compressing appends ".bz2" to the whole name; decompressing removes
        // exactly those four characters again.
        conversion.Destination = compress
                                     ? conversion.Source + CompressedSuffix
                                     : conversion.Source.substr(0, conversion.Source.size() - 4);
        conversion.Temporary = TemporaryPathFor(conversion.Destination);
        plan.push_back(std::move(conversion));
    }
    return plan;
}

// Runs Compress over the plan on every core.
void ConvertAll(const std::vector<Conversion>& plan, bool compress,
                const ConversionProgress& progress) {
    std::mutex mutex;
    std::size_t done = 0;
    ForEachInParallel(plan.size(), [&](std::size_t i) {
        Compress(plan[i].Source, plan[i].Temporary, compress);
        const std::lock_guard lock(mutex);
        if (progress)
            progress(++done, plan.size());
    });
}

void ConvertDirectory(const std::string& path, bool compress, const ConversionProgress& progress) {
    const std::vector<Conversion> plan = PlanConversions(path, compress);
    const std::string newMarker = JoinPath(path, MarkerFileName(compress));
    const std::string newMarkerTemporary = TemporaryPathFor(newMarker);
    try {
        ConvertAll(plan, compress, progress);
        WriteWholeFile(newMarkerTemporary, MarkerLine());
    } catch (...) {
        for (const Conversion& conversion : plan)
            ::unlink(conversion.Temporary.c_str());
        ::unlink(newMarkerTemporary.c_str());
        throw;
    }
    // Everything is written; now it is put in place in an order that keeps the
    // marker's form backed by its catalogs at every step: the new catalogs,
    // the new marker, then the old marker and the old catalogs.
    for (const Conversion& conversion : plan)
        std::rename(conversion.Temporary.c_str(), conversion.Destination.c_str());
    std::rename(newMarkerTemporary.c_str(), newMarker.c_str());
    const std::string oldMarker = FindEntryIgnoringCase(path, MarkerFileName(!compress));
    if (!oldMarker.empty())
        ::unlink(oldMarker.c_str());
    for (const Conversion& conversion : plan)
        ::unlink(conversion.Source.c_str());
}

} // namespace

void CompressDirectory(const std::string& path, const ConversionProgress& progress) {
    ConvertDirectory(path, true, progress);
}

void DecompressDirectory(const std::string& path, const ConversionProgress& progress) {
    ConvertDirectory(path, false, progress);
}

} // namespace quillory
