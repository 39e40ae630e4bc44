#pragma once

#include "search/ResultRow.h"

#include <cstddef>

class QFileDialog;
class QWidget;

namespace quillory {

// "Export CSV": asks for a file with the save dialog and writes the rows into
// it off the window thread. The dialog lives for the run, so it remembers the
// last file name.
class ResultExporter {
public:
    explicit ResultExporter(QWidget* parent) : parent_(parent) {}

    // Writes the first `count` rows of `rows` to the file the user picks;
    // nothing when the dialog is cancelled. Raises the export's Error.
    void Export(const ResultRowSource& rows, std::size_t count);

private:
    QWidget* parent_;
    QFileDialog* dialog_ = nullptr;
};

} // namespace quillory
