#include "search/FindForm.h"

#include "common/AsciiUpper.h"
#include "common/Error.h"
#include "common/IntegerConversion.h"
#include "common/Messages.h"

namespace quillory {

SearchCriteria BuildCriteria(const FindForm& form) {
    SearchCriteria criteria;
    std::optional<std::int32_t> number;
    if (form.UseDiskNumber && !(number = TryStrToInt(form.DiskNumber)))
        throw Error(msg::DiskNumberNotInteger);
    criteria.MatchName = form.FileName;
    criteria.MatchDirectory = form.Directory;
    criteria.UseDiskName = form.UseDiskName;
    criteria.UseDiskNumber = form.UseDiskNumber;
    if (form.UseDate) {
        criteria.RangeStart = form.Start;
        criteria.RangeEnd = form.End;
    }
    if (!form.Text.empty() && (form.FileName || form.Directory))
        criteria.NamePattern = AsciiUpper(form.Text);
    if (form.UseDiskName && !form.DiskName.empty())
        criteria.DiskNamePattern = AsciiUpper(form.DiskName);
    if (number)
        criteria.DiskNumber = *number;
    return criteria;
}

} // namespace quillory
