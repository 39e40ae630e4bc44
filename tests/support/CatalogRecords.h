#pragma once

#include "store/CatalogReader.h"

#include <array>
#include <string>
#include <vector>

namespace quillory::test {

// One record of a catalog as owned texts, its seven lines without line ends.
using Record = std::array<std::string, RecordLineCount>;

// Every record of the catalog at `path`, in file order.
inline std::vector<Record> ReadRecords(const std::string& path, bool compressed = false) {
    std::vector<Record> records;
    ReadCatalog(path, compressed, [&records](const CatalogRecordView& view) {
        Record& record = records.emplace_back();
        for (std::size_t i = 0; i < RecordLineCount; ++i)
            record[i] = std::string(view.Lines[i]);
    });
    return records;
}

} // namespace quillory::test
