#pragma once

#include "store/OpenDatabase.h"

#include <cstddef>

namespace quillory {

// The search index the window makes where nobody waits: after a search has
// shown its rows, the parts its catalogs lacked are made on a thread of its
// own at a low priority, for processor and disk alike. It gives way to
// every command (RunGuarded holds a Pause for the command's length), picks
// up where it stopped once the command is over, and stops for good when the
// program closes. Everything here is called from the window thread.
class BackgroundIndex {
public:
    // The search of `database` just shown had `withoutPart` catalogs without
    // a current part, and `checkedByBytes` whose parts were trusted only
    // for their bytes (just written): the index is made when nothing runs.
    static void Want(const OpenDatabase& database, std::size_t withoutPart,
                     std::size_t checkedByBytes);

    // No background work while one lives.
    class Pause {
    public:
        Pause();
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;
    };

    // Stops the work for good, at the program's end.
    static void Stop();

    // Whether work is under way (for tests).
    static bool Running();
};

} // namespace quillory
