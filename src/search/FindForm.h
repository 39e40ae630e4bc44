#pragma once

#include "search/SearchCriteria.h"

#include <string>

namespace quillory {

// What the Find File dialog (or the command line's find) holds when "Find" is
// pressed: the ticked boxes and their texts, and the date range as time values.
struct FindForm {
    bool FileName = true;
    bool Directory = false;
    std::string Text;
    bool UseDiskName = false;
    std::string DiskName;
    bool UseDiskNumber = false;
    std::string DiskNumber;
    bool UseDate = false;
    double Start = -1.0;
    double End = -1.0;
};

// The criteria of a search. Texts are used as typed, blanks included, and
// upper-cased for the ASCII letters only. A ticked disk number that is not an
// integer (an empty one included) raises
// Error("Integer values must be used for disk numbers. ...").
SearchCriteria BuildCriteria(const FindForm& form);

} // namespace quillory
