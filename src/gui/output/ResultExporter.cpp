#include "gui/output/ResultExporter.h"

#include "gui/widgets/BackgroundWork.h"
#include "output/CsvExport.h"
#include "platform/Text.h"

#include <QFileDialog>

namespace quillory {

void ResultExporter::Export(const ResultRowSource& rows, std::size_t count) {
    if (!dialog_) {
        dialog_ = new QFileDialog(parent_);
        dialog_->setAcceptMode(QFileDialog::AcceptSave);
        dialog_->setFileMode(QFileDialog::AnyFile);
        dialog_->setNameFilter(QStringLiteral("csv (*.csv)"));
        dialog_->setDefaultSuffix(QStringLiteral("csv"));
        dialog_->setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (dialog_->exec() != QDialog::Accepted || dialog_->selectedFiles().isEmpty())
        return;
    const QString path = dialog_->selectedFiles().front();
    dialog_->selectFile(path);
    const BusyCursor busy;
    RunWhileWaiting([&] { ExportCsv(rows, count, ToBytes(path)); });
}

} // namespace quillory
