#include "gui/widgets/TForm_info.h"

#include "gui/widgets/DesktopScale.h"
#include "gui/widgets/WindowOver.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quillory {

TForm_info::TForm_info(QWidget* parent) : QDialog(parent), label_(new QLabel(this)) {
    setObjectName(QStringLiteral("Form_info"));
    NeverTakeKeyboard(*this);
    setWindowTitle(QStringLiteral("Please Wait!"));
    setModal(false);
    QFont font = label_->font();
    font.setPointSize(14);
    font.setBold(true);
    label_->setFont(font);
    label_->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    setFixedSize(Scaled(QSize(360, 100)));
}

void TForm_info::ShowWith(const QString& text, QWidget* over) {
    label_->setText(text);
    ShowOver(*this, over);
}

QString TForm_info::Text() const {
    return label_->text();
}

} // namespace quillory
