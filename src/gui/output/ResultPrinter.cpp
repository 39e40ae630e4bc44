#include "gui/output/ResultPrinter.h"

#include "common/Error.h"
#include "common/Messages.h"
#include "gui/widgets/BackgroundWork.h"
#include "gui/widgets/QtTextCanvas.h"
#include "output/PrintLine.h"
#include "output/PrinterTextStream.h"

#include <QDir>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace quillory {

ResultPrinter::ResultPrinter(QWidget* parent) : parent_(parent) {}

ResultPrinter::~ResultPrinter() = default;

void ResultPrinter::Print(const ResultRowSource& rows, std::size_t count,
                          const Settings& settings) {
    if (!printer_) {
        // Printing to a file (a PDF) is ticked at the first showing.
        printer_ = std::make_unique<QPrinter>();
        printer_->setOutputFileName(QDir::home().filePath(QStringLiteral("Quillory.pdf")));
        dialog_ = new QPrintDialog(printer_.get(), parent_);
        dialog_->setOptions(QAbstractPrintDialog::PrintToFile);
    }
    if (dialog_->exec() != QDialog::Accepted)
        return;
    const BusyCursor busy;
    RunWhileWaiting([&] { PrintRows(rows, count, settings); });
}

void ResultPrinter::PrintRows(const ResultRowSource& rows, std::size_t count,
                              const Settings& settings) {
    QPainter painter;
    if (!painter.begin(printer_.get()))
        throw Error(msg::PrinterNotStarted);
    QtTextCanvas canvas(*printer_, painter);
    PrinterTextStream stream(canvas);
    for (std::size_t i = 0; i < count; ++i) {
        stream.Write(PrintLine(rows.Row(i), settings));
        stream.NewLine();
    }
    painter.end();
}

} // namespace quillory
