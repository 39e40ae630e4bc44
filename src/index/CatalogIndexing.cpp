#include "index/CatalogIndexing.h"

#include "index/CatalogSource.h"
#include "index/LongLineGuard.h"
#include "index/PartBuilder.h"

namespace quillory {

void IndexCatalog(int directory, const std::string& name, bool compressed, SegmentWriter& writer,
                  const std::atomic<bool>* stop) {
    // The moment is taken before the file is first looked at: whatever
    // changes the file later is stamped at or after it.
    const std::int64_t readAt = WallClockNow();
    CatalogSource source(directory, name);
    PartBuilder builder;
    CatalogRecordParser parser(
        [&builder](const CatalogRecordView& record) { builder.Add(record); });
    LongLineGuard guard(parser);
    const std::uint64_t check = source.ReadText(compressed, guard, stop);
    if (!(source.IdentityNow() == source.Identity()))
        throw CatalogChanged();
    writer.Add(name, CatalogStamp{source.Identity(), readAt, check}, builder);
}

} // namespace quillory
