#include "search/ListViewData.h"

namespace quillory {

void ListViewData(const ResultList& list, std::size_t index, ResultRow& row) {
    if (index >= list.Size()) {
        for (std::string& cell : row)
            cell.clear();
        return;
    }
    const ResultEntry entry = list.Entry(index);
    row[0].assign(entry.Name);
    row[1].assign(entry.Directory);
    row[2].assign(entry.DiskName);
    row[3].assign(entry.DiskNumber);
    row[4].assign(entry.Size);
    const std::size_t spaces = entry.Date.size() == 8 ? 7 : entry.Date.size() == 9 ? 5 : 4;
    std::string& dateTime = row[5];
    dateTime.assign(entry.Date);
    dateTime.append(spaces, ' ');
    dateTime += entry.Time;
}

} // namespace quillory
