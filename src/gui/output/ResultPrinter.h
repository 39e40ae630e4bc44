#pragma once

#include "search/ResultRow.h"
#include "settings/Settings.h"

#include <cstddef>
#include <memory>

class QPrintDialog;
class QPrinter;
class QWidget;

namespace quillory {

// "Print": asks for a printer with the print dialog and prints the rows, one
// line each at the printed widths of the settings, off the window thread. The
// printer and its dialog live for the run, so they remember the last choice.
class ResultPrinter {
public:
    explicit ResultPrinter(QWidget* parent);
    ~ResultPrinter();

    // Prints the first `count` rows of `rows`; nothing when the dialog is
    // cancelled. Raises the printer's Error.
    void Print(const ResultRowSource& rows, std::size_t count, const Settings& settings);

private:
    void PrintRows(const ResultRowSource& rows, std::size_t count, const Settings& settings);

    QWidget* parent_;
    std::unique_ptr<QPrinter> printer_;
    QPrintDialog* dialog_ = nullptr;
};

} // namespace quillory
