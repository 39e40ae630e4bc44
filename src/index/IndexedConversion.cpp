#include "index/IndexedConversion.h"

#include "common/FileSystem.h"
#include "index/PartTrust.h"
#include "index/SearchIndex.h"
#include "index/SegmentWriter.h"

#include <optional>
#include <vector>

namespace quillory {

namespace {

// Takes the current parts of the catalogs before they are converted, and
// gives each to the new file once it is in place, stamped with the new
// file's bytes, which are those of the same records: the database is held
// alone meanwhile.
class IndexCarrier final : public ConversionWatcher {
public:
    void Converting(const std::string& path, const std::vector<std::string>& sources) override {
        const SearchIndex index(path);
        for (const std::string& source : sources)
            carried_.push_back(index.Current(source));
    }

    void Converted(const std::string& path, const std::vector<std::string>& destinations) override {
        try {
            const std::string real = RealPath(path);
            const auto folder = IndexFolder::Open(real, true);
            const auto directory = DirectoryHandle::Open(real);
            if (!folder || !directory)
                return;
            const ChangeTimes times = ChangeTimesOf(directory->Descriptor());
            SegmentWriter writer(folder);
            for (std::size_t i = 0; i < destinations.size() && i < carried_.size(); ++i) {
                if (!carried_[i])
                    continue;
                const std::int64_t readAt = WallClockNow();
                const auto identity =
                    CurrentIdentity(directory->Descriptor(), destinations[i], times);
                const auto check =
                    identity ? ContentCheckOf(directory->Descriptor(), destinations[i], *identity)
                             : std::nullopt;
                if (check)
                    writer.Copy(*carried_[i]->From, carried_[i]->Entry, destinations[i],
                                CatalogStamp{*identity, readAt, *check});
            }
            writer.Commit();
        } catch (...) {
            // A cache that takes nothing, or a damaged part: the catalogs
            // are read instead until the index is made again.
        }
    }

private:
    std::vector<std::optional<CurrentEntry>> carried_;
};

} // namespace

void ConvertKeepingIndex(const std::string& path, bool compress,
                         const ConversionProgress& progress) {
    IndexCarrier carrier;
    compress ? CompressDirectory(path, progress, &carrier)
             : DecompressDirectory(path, progress, &carrier);
}

} // namespace quillory
