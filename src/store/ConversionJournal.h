#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillory {

// A conversion between the plain and the compressed form first writes every
// catalog in the other form under a hidden name. Before it puts anything in
// place it records, in the journal ".quillory-journal" of the database
// directory, which hidden file becomes which catalog and which catalog that
// replaces. From then on the conversion can always be completed: when it is
// killed, the next command that changes the database completes it from the
// journal, so an old-form copy never comes back and no catalog is lost. A
// conversion killed before the journal was written left only hidden files,
// which that command removes.
struct ConversionStep {
    std::string Temporary;   // the hidden file holding the catalog in the new form
    std::string Destination; // the catalog's name in the new form
    std::string Source;      // the catalog's name in the old form
};

struct ConversionPlan {
    bool Compress = true;
    std::vector<ConversionStep> Steps; // file names inside the database directory
};

inline constexpr char JournalName[] = ".quillory-journal";

// Writes the journal durably (flushed, renamed into place, directory flushed).
void WriteJournal(const std::string& directory, const ConversionPlan& plan);
// The journal of `directory`, or nothing when there is none (or it is not
// one this program wrote).
std::optional<ConversionPlan> ReadJournal(const std::string& directory);

// Puts the plan in place, in an order that keeps the database readable in one
// form at every moment: the new catalogs, the new marker, the removal of the
// old marker, then the removal of each old catalog whose new form is in place.
// Safe to run again after any interruption. Raises Error at the first step
// that fails.
void ApplyConversion(const std::string& directory, const ConversionPlan& plan);

// Whether the markers of `directory` say the plan's form: from then on the
// conversion counts as done, and only removing old copies is left.
bool ConversionCommitted(const std::string& directory, const ConversionPlan& plan);

// Completes the conversion a killed command left, if any, and removes its
// journal. Raises Error when that cannot be done: the database then stays as
// the journal left it, for the next try.
void CompleteInterruptedConversion(const std::string& directory);

} // namespace quillory
