#include "search/ListViewData.h"

namespace quillory {

ResultRow ListViewData(const ResultList& list, std::size_t index) {
    if (index >= list.Size())
        return {};
    const ResultEntry entry = list.Entry(index);
    const std::size_t spaces = entry.Date.size() == 8 ? 7 : entry.Date.size() == 9 ? 5 : 4;
    std::string dateTime(entry.Date);
    dateTime.append(spaces, ' ');
    dateTime += entry.Time;
    return {std::string(entry.Name),     std::string(entry.Directory),
            std::string(entry.DiskName), std::string(entry.DiskNumber),
            std::string(entry.Size),     std::move(dateTime)};
}

} // namespace quillory
