#pragma once

#include "cli/Command.h"
#include "store/OpenDatabase.h"

namespace quillory {

// A verb that works on the one database its --db option names (DatabaseOption
// in its syntax): the step every such verb shares opens the database, then
// the verb does its own work on it.
class DatabaseCommand : public Command {
public:
    void Execute(CommandContext& context) final;

protected:
    virtual void Run(CommandContext& context, const OpenDatabase& database) = 0;
};

} // namespace quillory
