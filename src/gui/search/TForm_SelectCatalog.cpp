#include "gui/search/TForm_SelectCatalog.h"

#include "gui/widgets/CatalogListView.h"
#include "gui/widgets/CommandGuard.h"
#include "gui/widgets/DesktopScale.h"
#include "gui/widgets/SearchRunner.h"
#include "scan/CatalogList.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillory {

TForm_SelectCatalog::TForm_SelectCatalog(const OpenDatabase& openDatabase, SearchRunner& searches,
                                         QWidget* parent)
    : QDialog(parent), ListView1(new CatalogListView(selectionSortState_, Scaled(370), this)),
      ActionButton(new QPushButton(QStringLiteral("OK"), this)), openDatabase_(openDatabase),
      searches_(searches) {
    setObjectName(QStringLiteral("TForm_SelectCatalog"));
    setWindowTitle(QStringLiteral("Select Catalog"));
    resize(Scaled(QSize(470, 400)));
    ActionButton->setObjectName(QStringLiteral("ActionButton"));
    ActionButton->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(ActionButton, &QPushButton::clicked, this, [this] {
        if (action_)
            RunGuarded(this, action_);
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ActionButton);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListView1);
    layout->addLayout(buttons);
}

void TForm_SelectCatalog::ListCatalogs() {
    FindRecord();
    ActionButton->setText(QStringLiteral("List"));
    action_ = [this] { Button_ListClick(); };
    exec();
}

void TForm_SelectCatalog::FindRecord() {
    ListView1->SetRows(ListCatalogNames(openDatabase_));
}

void TForm_SelectCatalog::Button_ListClick() {
    const auto row = ListView1->SelectedRow();
    if (!row)
        return;
    accept();
    searches_.RunSearch(CatalogScope::OneCatalog(*row), SearchCriteria());
}

} // namespace quillory
