#pragma once

#include "common/Error.h"

namespace quillory {

// Arguments the command line cannot take, with the one line that says what is
// wrong ("--db is required"); the command line adds its name and the verb's,
// then the usage, and exits with status 2.
class UsageError : public Error {
public:
    using Error::Error;
};

} // namespace quillory
