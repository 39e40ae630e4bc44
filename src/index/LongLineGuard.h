#pragma once

#include "store/CatalogRecord.h"

#include <cstddef>

namespace quillory {

// Passes a catalog's text on until a line turns out longer than a part
// takes, and then raises PartRefused: the record parser behind it would
// first hold the whole line, however long.
class LongLineGuard final : public CatalogTextSink {
public:
    explicit LongLineGuard(CatalogTextSink& next) : next_(next) {}

    void Feed(const char* data, std::size_t count) override;
    void Finish() override { next_.Finish(); }

private:
    CatalogTextSink& next_;
    std::size_t lineLength_ = 0; // of the line not yet ended
};

} // namespace quillory
