#pragma once

#include "settings/Settings.h"

#include <string>

namespace quillory {

// The stored forms of the print columns. PrintCols holds six fields of three
// characters joined by single spaces (23 characters: "  5  40 120   4  10  20");
// PrintColsEnabled holds six "1"/"0" flags, each followed by a space
// (12 characters: "1 0 1 1 0 1 ").

// Joins six width texts, each padded on the left to three characters (a longer
// text is taken unchanged).
std::string FormatPrintCols(const std::array<std::string, PrintColumnCount>& widthTexts);
std::string FormatPrintColsEnabled(const std::array<bool, PrintColumnCount>& flags);

// Read the stored texts into `settings`, one column at a time, so that a failed
// conversion leaves the columns before it loaded and the rest untouched. A
// width is the three characters at its field's position; a flag is on only
// when its character converts to 1. A field that does not convert raises the
// conversion error with that field's text.
void ReadPrintCols(const std::string& text, Settings& settings);
void ReadPrintColsEnabled(const std::string& text, Settings& settings);

} // namespace quillory
