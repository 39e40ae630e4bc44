#include "gui/scan/TForm_Progress.h"

#include "gui/widgets/DesktopScale.h"
#include "gui/widgets/WindowOver.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

namespace quillory {

TForm_Progress::TForm_Progress(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint), owner_(owner) {
    setObjectName(QStringLiteral("Form_Progress"));
    // Not drawn (the window has no frame), but named in task lists.
    setWindowTitle(QStringLiteral("Scanning Disk"));
    NeverTakeKeyboard(*this);
    auto* layout = new QVBoxLayout(this);
    for (const char* line : {"Scanning Disk", "Please Wait"}) {
        auto* label = new QLabel(QString::fromLatin1(line), this);
        QFont font = label->font();
        font.setPointSize(14);
        font.setBold(true);
        label->setFont(font);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    setFixedSize(Scaled(QSize(260, 110)));
    setAutoFillBackground(true);
    timer1_.setInterval(TickMs);
    connect(&timer1_, &QTimer::timeout, this, &TForm_Progress::Timer1Timer);
    timer1_.start();
}

void TForm_Progress::BeginScan(QWidget* over) {
    scanning_ = true;
    ShowOver(*this, over);
}

void TForm_Progress::EndScan() {
    scanning_ = false;
    if (tickDue_)
        HideAndRestoreCursor();
}

void TForm_Progress::Timer1Timer() {
    if (scanning_)
        tickDue_ = true;
    else
        HideAndRestoreCursor();
}

void TForm_Progress::HideAndRestoreCursor() {
    tickDue_ = false;
    hide();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

} // namespace quillory
