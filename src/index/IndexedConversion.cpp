#include "index/IndexedConversion.h"

#include "common/Path.h"
#include "index/SearchIndex.h"

#include <optional>
#include <vector>

namespace quillory {

namespace {

class IndexCarrier final : public ConversionWatcher {
public:
    void Converting(const std::string& path, const std::vector<std::string>& sources) override {
        for (const std::string& source : sources)
            identities_.push_back(IdentityOf(JoinPath(path, source)));
    }

    void Converted(const std::string& path, const std::vector<std::string>& destinations) override {
        const SearchIndex index(path);
        for (std::size_t i = 0; i < destinations.size() && i < identities_.size(); ++i) {
            if (identities_[i])
                index.Carry(*identities_[i], JoinPath(path, destinations[i]));
        }
    }

private:
    std::vector<std::optional<CatalogIdentity>> identities_;
};

} // namespace

void ConvertKeepingIndex(const std::string& path, bool compress,
                         const ConversionProgress& progress) {
    IndexCarrier carrier;
    compress ? CompressDirectory(path, progress, &carrier)
             : DecompressDirectory(path, progress, &carrier);
}

} // namespace quillory
