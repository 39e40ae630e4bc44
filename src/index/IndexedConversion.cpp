#include "index/IndexedConversion.h"

#include "common/FileSystem.h"
#include "common/Path.h"
#include "index/PartTrust.h"
#include "index/SearchIndex.h"
#include "index/SegmentWriter.h"

#include <optional>
#include <vector>

namespace quillory {

namespace {

// Takes the current parts of the catalogs before they are converted, with
// the check of the new files' bytes as the conversion wrote them, and gives
// each part to its new file once it is in place. The stamps are of a moment
// before the new files were put in place, so that each is trusted for its
// bytes until the index stamps it anew: a change another program made after
// the conversion is never taken for the conversion's work.
class IndexCarrier final : public ConversionWatcher {
public:
    void Converting(const std::string& path, const std::vector<ConversionStep>& steps) override {
        readAt_ = WallClockNow();
        const SearchIndex index(path);
        for (const ConversionStep& step : steps) {
            Carried carried{index.Current(step.Source), std::nullopt};
            if (carried.Entry)
                carried.Check = BytesCheckOf(JoinPath(path, step.Temporary));
            carried_.push_back(std::move(carried));
        }
    }

    void Converted(const std::string& path, const std::vector<ConversionStep>& steps) override {
        try {
            const std::string real = RealPath(path);
            const auto folder = IndexFolder::Open(real, true);
            const auto directory = DirectoryHandle::Open(real);
            if (!folder || !directory)
                return;
            const DatabaseTimes times(directory->Descriptor());
            SegmentWriter writer(folder);
            for (std::size_t i = 0; i < steps.size() && i < carried_.size(); ++i) {
                const Carried& carried = carried_[i];
                const auto identity = times.CurrentIdentity(steps[i].Destination);
                if (carried.Entry && carried.Check && identity)
                    writer.Copy(*carried.Entry->From, carried.Entry->Entry, steps[i].Destination,
                                CatalogStamp{*identity, readAt_, *carried.Check});
            }
            writer.Commit();
        } catch (...) {
            // A cache that takes nothing, or a damaged part: the catalogs
            // are read instead until the index is made again.
        }
    }

private:
    struct Carried {
        std::optional<CurrentEntry> Entry;
        std::optional<std::uint64_t> Check; // of the new file's bytes
    };
    std::vector<Carried> carried_;
    std::int64_t readAt_ = 0;
};

} // namespace

void ConvertKeepingIndex(const std::string& path, bool compress,
                         const ConversionProgress& progress) {
    IndexCarrier carrier;
    compress ? CompressDirectory(path, progress, &carrier)
             : DecompressDirectory(path, progress, &carrier);
}

} // namespace quillory
