#include "gui/settings/TForm_Setup.h"

#include "common/Error.h"
#include "gui/settings/TForm_SelDir.h"
#include "gui/widgets/DesktopScale.h"
#include "gui/widgets/MessageBoxes.h"
#include "platform/Text.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quillory {

TForm_Setup::TForm_Setup(Settings& settings, SettingsStore& store, TForm_SelDir& picker,
                         QWidget* parent)
    : QDialog(parent), settings_(settings), store_(store), picker_(picker) {
    setObjectName(QStringLiteral("TForm_Setup"));
    setWindowTitle(QStringLiteral("Quillory Setup"));
    resize(Scaled(QSize(337, 349)));

    tabs_ = new QTabWidget(this);
    tabs_->addTab(CreateGeneralTab(), QStringLiteral("General"));
    tabs_->addTab(CreatePrinterTab(), QStringLiteral("Printer"));

    auto* save = new QPushButton(QStringLiteral("Save Settings"), this);
    save->setObjectName(QStringLiteral("SaveButton"));
    save->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(save, &QPushButton::clicked, this, &TForm_Setup::SaveButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);
}

QWidget* TForm_Setup::CreateGeneralTab() {
    auto* page = new QWidget;
    inputDir_ = new QLineEdit(page);
    inputDir_->setObjectName(QStringLiteral("InputDirEdit"));
    databaseDir_ = new QLineEdit(page);
    databaseDir_->setObjectName(QStringLiteral("DatabaseDirEdit"));

    auto* layout = new QGridLayout(page);
    const std::array<std::pair<const char*, QLineEdit*>, 2> rows = {
        std::pair{"Input Drive", inputDir_}, std::pair{"CD Database Directory", databaseDir_}};
    int row = 0;
    for (const auto& [caption, field] : rows) {
        auto* label = new QLabel(QString::fromLatin1(caption), page);
        label->setBuddy(field);
        layout->addWidget(label, row++, 0, 1, 2);
        auto* browse = new QPushButton(QStringLiteral("Browse"), page);
        browse->setObjectName(field->objectName() + QStringLiteral("Browse"));
        connect(browse, &QPushButton::clicked, this, [this, field = field] { Browse(field); });
        layout->addWidget(field, row, 0);
        layout->addWidget(browse, row++, 1);
    }
    layout->setRowStretch(row, 1);
    return page;
}

QWidget* TForm_Setup::CreatePrinterTab() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    for (std::size_t i = 0; i < PrintColumnCount; ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(PrintColumnNames[i]), page);
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QStringLiteral("Col%1Edit").arg(i + 1));
        edit->setMaxLength(3);
        edit->setMaximumWidth(Scaled(60));
        edit->setAccessibleName(box->text() + QStringLiteral(" width"));
        connect(box, &QCheckBox::toggled, edit, &QLineEdit::setEnabled);
        layout->addWidget(box, static_cast<int>(i), 0);
        layout->addWidget(edit, static_cast<int>(i), 1);
        columnBoxes_[i] = box;
        columnEdits_[i] = edit;
    }
    layout->setRowStretch(static_cast<int>(PrintColumnCount), 1);
    return page;
}

int TForm_Setup::ShowModal() {
    Fill(SetupFormFromSettings(settings_));
    return exec();
}

void TForm_Setup::Fill(const SetupForm& form) {
    inputDir_->setText(FromBytes(form.InputDir));
    databaseDir_->setText(FromBytes(form.DatabaseDir));
    WidenToShow(inputDir_);
    WidenToShow(databaseDir_);
    for (std::size_t i = 0; i < PrintColumnCount; ++i) {
        columnEdits_[i]->setText(FromBytes(form.WidthTexts[i]));
        columnBoxes_[i]->setChecked(form.Printed[i]);
        columnEdits_[i]->setEnabled(form.Printed[i]);
    }
}

SetupForm TForm_Setup::Read() const {
    SetupForm form;
    form.InputDir = ToBytes(inputDir_->text());
    form.DatabaseDir = ToBytes(databaseDir_->text());
    for (std::size_t i = 0; i < PrintColumnCount; ++i) {
        form.WidthTexts[i] = ToBytes(columnEdits_[i]->text());
        form.Printed[i] = columnBoxes_[i]->isChecked();
    }
    return form;
}

void TForm_Setup::SaveButtonClick() {
    SetupForm form = Read();
    try {
        SaveSetup(form, store_, settings_);
    } catch (const Error& error) {
        ShowErrorBox(this, error.what());
        return;
    }
    inputDir_->setText(FromBytes(form.InputDir));
    databaseDir_->setText(FromBytes(form.DatabaseDir));
    accept();
}

void TForm_Setup::Browse(QLineEdit* field) {
    if (picker_.exec() == QDialog::Accepted) {
        field->setText(FromBytes(PathFieldFromPicked(ToBytes(picker_.SelectedPath()))));
        WidenToShow(field);
    }
}

void TForm_Setup::WidenToShow(QLineEdit* field) {
    // The whole path shows, as far as the screen allows; the dialog grows
    // with its field.
    QStyleOptionFrame option;
    option.initFrom(field);
    const int textWidth = field->fontMetrics().horizontalAdvance(field->text() + QLatin1Char(' '));
    int width = field->style()
                    ->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(textWidth, 0), field)
                    .width();
    if (const QScreen* screen = field->screen())
        width = std::min(width, screen->availableGeometry().width() * 2 / 3);
    field->setMinimumWidth(width);
}

} // namespace quillory
