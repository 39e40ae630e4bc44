#include "cli/DatabaseRoot.h"

#include "common/Error.h"
#include "common/Messages.h"
#include "common/Path.h"
#include "settings/LoadSettings.h"
#include "store/Database.h"

namespace quillory {

std::string DatabaseRoot(const CommandContext& context) {
    if (!context.Root.empty())
        return WithTrailingSeparator(context.Root);
    Settings settings;
    ReadSettings(context.Store, settings);
    if (settings.DatabaseDir.empty())
        throw Error(msg::NoDatabaseRoot);
    return settings.DatabaseDir;
}

std::string ExistingDatabasePath(const CommandContext& context, const std::string& name) {
    return ExistingDatabasePath(DatabaseRoot(context), name);
}

OpenDatabase OpenedDatabase(const CommandContext& context, const std::string& name) {
    return ExistingDatabase(DatabaseRoot(context), name);
}

} // namespace quillory
