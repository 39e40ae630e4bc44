#pragma once

#include "search/ResultRow.h"
#include "settings/Settings.h"

#include <QFont>
#include <QString>
#include <cstddef>
#include <memory>

class QPrinter;
class QWidget;

namespace quillory {

// "Print": asks for a printer with the print dialog and prints the rows, one
// line each at the printed widths of the settings, off the window thread. The
// dialog is made anew for every print, so it lists the printers there are,
// and starts from the user's last choice (print to file at first). It offers
// no page range: the whole list is always printed.
class ResultPrinter {
public:
    explicit ResultPrinter(QWidget* parent);
    ~ResultPrinter();

    // Prints the first `count` rows of `rows` as the print job `title`;
    // nothing when the dialog is cancelled. Raises the printer's Error, and
    // the print system's when it did not take the job.
    void Print(const ResultRowSource& rows, std::size_t count, const Settings& settings,
               const QString& title);

    // The desktop's fixed-pitch font, so that padded columns line up.
    static QFont PrintFont();
    // Prints the rows on `printer` in `font`; raises what stopped it.
    static void PrintRows(QPrinter& printer, const QFont& font, const ResultRowSource& rows,
                          std::size_t count, const Settings& settings);

private:
    QWidget* parent_;
    std::unique_ptr<QPrinter> printer_;
};

} // namespace quillory
