#include "output/CsvExport.h"

#include "common/Parallel.h"
#include "output/CsvLine.h"
#include "output/FileExport.h"

#include <algorithm>
#include <vector>

namespace quillory {

void WriteCsv(const ResultRowSource& rows, std::size_t count, ByteOutput& output) {
    WriteInBatches(
        count,
        [&rows](std::size_t index, std::string& text) {
            // Each thread reads its rows into one row of its own, which keeps its room.
            thread_local ResultRow row;
            rows.ReadRow(index, row);
            AppendCsvLine(row, text);
        },
        output);
}

void ExportCsv(const ResultRowSource& rows, std::size_t count, const std::string& path) {
    ExportToFile(path, [&](ByteOutput& output) { WriteCsv(rows, count, output); });
}

} // namespace quillory
