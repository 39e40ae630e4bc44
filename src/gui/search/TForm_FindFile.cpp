#include "gui/search/TForm_FindFile.h"

#include "common/Messages.h"
#include "gui/widgets/BackgroundWork.h"
#include "gui/widgets/CommandGuard.h"
#include "gui/widgets/DesktopScale.h"
#include "gui/widgets/MessageBoxes.h"
#include "gui/widgets/SearchRunner.h"
#include "gui/widgets/TForm_info.h"
#include "platform/Text.h"
#include "scan/CatalogList.h"
#include "search/DayNumber.h"
#include "search/FindFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <set>

namespace quillory {

namespace {

double ToTimeValue(const QDate& date, const QTime& time) {
    return mjd(date.day(), date.month(), date.year()) +
           time.msecsSinceStartOfDay() / 1000 / 86400.0;
}

// Keeps what is typed while the list's entries are replaced.
void Refill(QComboBox* box, const QStringList& entries) {
    const QString typed = box->currentText();
    box->clear();
    box->addItems(entries);
    box->setCurrentIndex(-1);
    box->setEditText(typed);
}

} // namespace

TForm_FindFile::TForm_FindFile(const OpenDatabase& openDatabase, SearchRunner& searches,
                               TForm_info& waitWindow, QWidget* parent)
    : QDialog(parent), CheckBox_Name(new QCheckBox(QStringLiteral("File Name"), this)),
      CheckBox_DirectoryName(new QCheckBox(QStringLiteral("Directory"), this)),
      Edit1(new QLineEdit(this)), CheckBox_CDName(new QCheckBox(QStringLiteral("CDName"), this)),
      ComboBox_CDName(new QComboBox(this)),
      CheckBox_CDNum(new QCheckBox(QStringLiteral("CD ID Number"), this)),
      ComboBox_CDNum(new QComboBox(this)),
      CheckBox_Date(new QCheckBox(QStringLiteral("Date"), this)),
      StartDate(new QDateEdit(QDate(2003, 2, 2), this)),
      StartTime(new QTimeEdit(QTime(0, 0, 0), this)),
      EndDate(new QDateEdit(QDate(2003, 2, 2), this)),
      EndTime(new QTimeEdit(QTime(23, 59, 59), this)), openDatabase_(openDatabase),
      searches_(searches), waitWindow_(waitWindow),
      startLabel_(new QLabel(QStringLiteral("Start:"), this)),
      endLabel_(new QLabel(QStringLiteral("End:"), this)) {
    setObjectName(QStringLiteral("TForm_FindFile"));
    setWindowTitle(QStringLiteral("Find File"));
    CheckBox_Name->setObjectName(QStringLiteral("CheckBox_Name"));
    CheckBox_DirectoryName->setObjectName(QStringLiteral("CheckBox_DirectoryName"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    CheckBox_CDName->setObjectName(QStringLiteral("CheckBox_CDName"));
    ComboBox_CDName->setObjectName(QStringLiteral("ComboBox_CDName"));
    CheckBox_CDNum->setObjectName(QStringLiteral("CheckBox_CDNum"));
    ComboBox_CDNum->setObjectName(QStringLiteral("ComboBox_CDNum"));
    CheckBox_Date->setObjectName(QStringLiteral("CheckBox_Date"));
    CheckBox_Name->setChecked(true);
    for (QComboBox* box : {ComboBox_CDName, ComboBox_CDNum}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        // What is typed is what is searched for: no completion from the list.
        box->setCompleter(nullptr);
        box->setMinimumWidth(Scaled(160));
    }
    // A screen reader announces every field by name.
    Edit1->setAccessibleName(QStringLiteral("Text to find"));
    // The text field inside each list is what a screen reader lands on.
    for (const auto& [box, check] :
         {std::pair{ComboBox_CDName, CheckBox_CDName}, std::pair{ComboBox_CDNum, CheckBox_CDNum}}) {
        box->setAccessibleName(check->text());
        box->lineEdit()->setAccessibleName(check->text());
    }
    StartDate->setAccessibleName(QStringLiteral("Start date"));
    StartTime->setAccessibleName(QStringLiteral("Start time"));
    EndDate->setAccessibleName(QStringLiteral("End date"));
    EndTime->setAccessibleName(QStringLiteral("End time"));
    startLabel_->setBuddy(StartDate);
    endLabel_->setBuddy(EndDate);
    for (QDateEdit* date : {StartDate, EndDate})
        date->setCalendarPopup(true);
    for (QTimeEdit* time : {StartTime, EndTime})
        time->setDisplayFormat(QStringLiteral("HH:mm:ss"));

    auto* names = new QGroupBox(this);
    auto* namesLayout = new QGridLayout(names);
    namesLayout->addWidget(CheckBox_Name, 0, 0);
    namesLayout->addWidget(CheckBox_DirectoryName, 0, 1);
    namesLayout->addWidget(Edit1, 1, 0, 1, 2);

    auto* disks = new QGroupBox(this);
    auto* disksLayout = new QGridLayout(disks);
    disksLayout->addWidget(CheckBox_CDName, 0, 0);
    disksLayout->addWidget(ComboBox_CDName, 0, 1);
    disksLayout->addWidget(CheckBox_CDNum, 1, 0);
    disksLayout->addWidget(ComboBox_CDNum, 1, 1);

    auto* dates = new QGroupBox(this);
    auto* datesLayout = new QGridLayout(dates);
    datesLayout->addWidget(CheckBox_Date, 0, 0);
    datesLayout->addWidget(startLabel_, 1, 0);
    datesLayout->addWidget(StartDate, 1, 1);
    datesLayout->addWidget(StartTime, 1, 2);
    datesLayout->addWidget(endLabel_, 2, 0);
    datesLayout->addWidget(EndDate, 2, 1);
    datesLayout->addWidget(EndTime, 2, 2);

    auto* find = new QPushButton(QStringLiteral("Find"), this);
    find->setObjectName(QStringLiteral("Button_Find"));
    find->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Button_Close"));
    connect(find, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { Button_FindClick(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(find);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(names);
    layout->addWidget(disks);
    layout->addWidget(dates);
    layout->addLayout(buttons);

    for (QCheckBox* box :
         {CheckBox_Name, CheckBox_DirectoryName, CheckBox_CDName, CheckBox_CDNum, CheckBox_Date})
        connect(box, &QCheckBox::toggled, this, &TForm_FindFile::UpdateEnabled);
    UpdateEnabled();
}

void TForm_FindFile::UpdateEnabled() {
    Edit1->setEnabled(CheckBox_Name->isChecked() || CheckBox_DirectoryName->isChecked());
    ComboBox_CDName->setEnabled(CheckBox_CDName->isChecked());
    ComboBox_CDNum->setEnabled(CheckBox_CDNum->isChecked());
    const bool date = CheckBox_Date->isChecked();
    for (QWidget* widget : std::initializer_list<QWidget*>{startLabel_, endLabel_, StartDate,
                                                           StartTime, EndDate, EndTime})
        widget->setEnabled(date);
}

int TForm_FindFile::ShowModal() {
    FillDropDownLists();
    // Typing starts in the text field, or in the first box when it is disabled.
    if (Edit1->isEnabled())
        Edit1->setFocus();
    else
        CheckBox_Name->setFocus();
    return exec();
}

void TForm_FindFile::FillDropDownLists() {
    // Each list shows the open database's disks once: names in listing
    // order, numbers sorted as text.
    QStringList names;
    std::set<QString> seenNames;
    std::set<QString> numbers;
    for (const CatalogName& catalog : ListCatalogNames(openDatabase_)) {
        const QString name = FromBytes(catalog.DiskName);
        if (seenNames.insert(name).second)
            names << name;
        numbers.insert(FromBytes(catalog.DiskNumber));
    }
    Refill(ComboBox_CDName, names);
    Refill(ComboBox_CDNum, QStringList(numbers.begin(), numbers.end()));
}

FindForm TForm_FindFile::Read() const {
    FindForm form;
    form.FileName = CheckBox_Name->isChecked();
    form.Directory = CheckBox_DirectoryName->isChecked();
    form.Text = ToBytes(Edit1->text());
    form.UseDiskName = CheckBox_CDName->isChecked();
    form.DiskName = ToBytes(ComboBox_CDName->currentText());
    form.UseDiskNumber = CheckBox_CDNum->isChecked();
    form.DiskNumber = ToBytes(ComboBox_CDNum->currentText());
    form.UseDate = CheckBox_Date->isChecked();
    form.Start = ToTimeValue(StartDate->date(), StartTime->time());
    form.End = ToTimeValue(EndDate->date(), EndTime->time());
    return form;
}

void TForm_FindFile::Button_FindClick() {
    SearchCriteria criteria;
    if (!PassesOrShowsError(this, [&] { criteria = BuildCriteria(Read()); }))
        return;
    {
        const BusyCursor busy(&waitWindow_);
        waitWindow_.ShowWith(QString::fromLatin1(msg::WaitSearching), this);
        searches_.RunSearch(CatalogScope::EveryCatalog(), criteria);
    }
    accept();
}

} // namespace quillory
