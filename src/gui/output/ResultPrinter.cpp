#include "gui/output/ResultPrinter.h"

#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "gui/widgets/BackgroundWork.h"
#include "gui/widgets/QtTextCanvas.h"
#include "output/PrintLine.h"
#include "output/PrinterTextStream.h"
#include "platform/Text.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <cups/cups.h>

namespace quillory {

namespace {

// The platform's print dialog without its page range: the part that chooses
// pages (all, a range, odd or even) is hidden at every showing.
class WholeListPrintDialog final : public QPrintDialog {
public:
    WholeListPrintDialog(QPrinter* printer, QWidget* parent) : QPrintDialog(printer, parent) {
        setObjectName(QStringLiteral("PrintDialog"));
        setOption(QAbstractPrintDialog::PrintToFile, true);
        setOption(QAbstractPrintDialog::PrintSelection, false);
        setOption(QAbstractPrintDialog::PrintPageRange, false);
        setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    }

    void setVisible(bool visible) override {
        QPrintDialog::setVisible(visible);
        // The dialog shows its range again whenever it is shown.
        if (visible)
            if (QWidget* range = findChild<QWidget*>(QStringLiteral("gbPrintRange")))
                range->hide();
    }
};

// The job a print system was given on this thread, through the printer's
// end of document: what kept it from being taken, if anything. The print
// system's own text often gives only a system error, so the printer and the
// server are asked what became of them.
void ThrowIfRefused(const std::string& printer) {
    if (cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return;
    const std::string told = cupsLastErrorString();
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                5000, nullptr);
    if (!http)
        throw Error(FormatMessage(msg::PrintSystemUnreachable, cupsServer()));
    cups_dest_t* destination = cupsGetNamedDest(http, printer.c_str(), nullptr);
    httpClose(http);
    if (!destination)
        throw Error(FormatMessage(msg::NoSuchPrinter, printer));
    cupsFreeDests(1, destination);
    throw Error(FormatMessage(msg::PrintJobRefused, told));
}

} // namespace

ResultPrinter::ResultPrinter(QWidget* parent) : parent_(parent) {}

ResultPrinter::~ResultPrinter() = default;

QFont ResultPrinter::PrintFont() {
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

void ResultPrinter::Print(const ResultRowSource& rows, std::size_t count, const Settings& settings,
                          const QString& title) {
    if (!printer_) {
        // Printing to a file (a PDF) is the choice at the first showing.
        printer_ = std::make_unique<QPrinter>();
        printer_->setOutputFileName(QDir::home().filePath(QStringLiteral("Quillory.pdf")));
    }
    // Making the dialog moves the printer to a listed printer; the last choice
    // is put back before it shows.
    const bool toFile = printer_->outputFormat() == QPrinter::PdfFormat;
    const QString file = printer_->outputFileName();
    WholeListPrintDialog dialog(printer_.get(), parent_);
    if (toFile)
        printer_->setOutputFileName(file);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printer_->setPrintRange(QPrinter::AllPages);
    printer_->setFromTo(0, 0);
    printer_->setDocName(title);
    const QFont font = PrintFont();
    const BusyCursor busy;
    RunWhileWaiting([&] { PrintRows(*printer_, font, rows, count, settings); });
}

void ResultPrinter::PrintRows(QPrinter& printer, const QFont& font, const ResultRowSource& rows,
                              std::size_t count, const Settings& settings) {
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    const std::string file = ToBytes(printer.outputFileName());
    QPainter painter;
    if (!painter.begin(&printer))
        throw Error(toFile ? FormatMessage(msg::CannotCreateFile, file) : msg::PrinterNotStarted);
    painter.setFont(font);
    QtTextCanvas canvas(printer, painter);
    PrinterTextStream stream(canvas);
    for (std::size_t i = 0; i < count; ++i) {
        stream.Write(PrintLine(rows.Row(i), settings));
        stream.NewLine();
    }
    painter.end();
    if (toFile) {
        if (QFileInfo(printer.outputFileName()).size() == 0)
            throw Error(FormatMessage(msg::CannotWriteFile, file));
    } else {
        ThrowIfRefused(ToBytes(printer.printerName()));
    }
}

} // namespace quillory
