#include "settings/SetupForm.h"

#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Path.h"
#include "settings/PrintColumns.h"

#include <algorithm>

namespace quillory {

namespace {

// A stored width has three characters and is read back by the integer
// conversion, so only one to three decimal digits survive the round trip.
bool IsStorableWidth(const std::string& text) {
    return !text.empty() && text.size() <= 3 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void Validate(const SetupForm& form) {
    if (form.DatabaseDir.empty() || form.InputDir.empty())
        throw Error(msg::EmptySetupPath);
    for (std::size_t i = 0; i < PrintColumnCount; ++i) {
        if (!IsStorableWidth(form.WidthTexts[i]))
            throw Error(FormatMessage(msg::BadPrintWidth, PrintColumnNames[i]));
    }
}

} // namespace

SetupForm SetupFormFromSettings(const Settings& settings) {
    SetupForm form;
    form.InputDir = settings.InputDir;
    form.DatabaseDir = settings.DatabaseDir;
    for (std::size_t i = 0; i < PrintColumnCount; ++i) {
        form.WidthTexts[i] = std::to_string(settings.PrintCols[i]);
        form.Printed[i] = settings.PrintColsEnabled[i];
    }
    return form;
}

void SaveSetup(SetupForm& form, SettingsStore& store, Settings& settings) {
    Validate(form);
    const std::string printCols = FormatPrintCols(form.WidthTexts);
    const std::string printColsEnabled = FormatPrintColsEnabled(form.Printed);
    form.InputDir = WithTrailingSeparator(form.InputDir);
    form.DatabaseDir = WithTrailingSeparator(form.DatabaseDir);

    store.WriteText(settings_key::InputDir, form.InputDir);
    store.WriteText(settings_key::DatabaseDir, form.DatabaseDir);
    store.WriteText(settings_key::PrintCols, printCols);
    store.WriteText(settings_key::PrintColsEnabled, printColsEnabled);
    store.Commit();

    settings.InputDir = form.InputDir;
    settings.DatabaseDir = form.DatabaseDir;
    ReadPrintCols(printCols, settings);
    ReadPrintColsEnabled(printColsEnabled, settings);
}

std::string PathFieldFromPicked(const std::string& pickedDirectory) {
    return WithTrailingSeparator(pickedDirectory);
}

} // namespace quillory
