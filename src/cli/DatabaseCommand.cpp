#include "cli/DatabaseCommand.h"

#include "cli/DatabaseRoot.h"

namespace quillory {

void DatabaseCommand::Execute(CommandContext& context) {
    Run(context, OpenedDatabase(context, context.Arguments.Value(DatabaseOption.Name)));
}

} // namespace quillory
