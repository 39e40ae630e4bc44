#include "gui/settings/TForm_SelDir.h"
#include "gui/settings/TForm_Setup.h"
#include "gui/support/BoxRecorder.h"
#include "support/MemorySettingsStore.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace quillory;
using quillory::test::BoxRecorder;
using quillory::test::MemorySettingsStore;

class SetupDialogTest : public QObject {
    Q_OBJECT

    MemorySettingsStore store_;
    Settings settings_;
    std::unique_ptr<TForm_SelDir> picker_;
    std::unique_ptr<TForm_Setup> dialog_;

    // Shows the dialog modally and runs `act` inside the showing.
    int ShowAnd(const std::function<void()>& act) {
        QTimer::singleShot(0, dialog_.get(), [&] {
            act();
            if (dialog_->isVisible())
                dialog_->reject();
        });
        return dialog_->ShowModal();
    }

private slots:
    void init() {
        store_ = MemorySettingsStore();
        settings_ = Settings();
        settings_.InputDir = "/media/cdrom/";
        settings_.DatabaseDir = "/data/";
        settings_.PrintCols = {5, 40, 120, 4, 10, 20};
        settings_.PrintColsEnabled = {true, false, true, true, false, true};
        picker_ = std::make_unique<TForm_SelDir>();
        dialog_ = std::make_unique<TForm_Setup>(settings_, store_, *picker_);
    }

    void showingFillsEveryControlAndBoxesEnableTheirFields() {
        ShowAnd([&] {
            QCOMPARE(dialog_->InputDirField()->text(), QString("/media/cdrom/"));
            QCOMPARE(dialog_->DatabaseDirField()->text(), QString("/data/"));
            QCOMPARE(dialog_->ColumnEdit(2)->text(), QString("120"));
            QCOMPARE(dialog_->ColumnEdit(0)->text(), QString("5"));
            for (std::size_t i = 0; i < PrintColumnCount; ++i) {
                QCOMPARE(dialog_->ColumnBox(i)->isChecked(), settings_.PrintColsEnabled[i]);
                QCOMPARE(dialog_->ColumnEdit(i)->isEnabled(), settings_.PrintColsEnabled[i]);
            }
            dialog_->ColumnBox(1)->click();
            QVERIFY(dialog_->ColumnEdit(1)->isEnabled());
            dialog_->ColumnBox(0)->click();
            QVERIFY(!dialog_->ColumnEdit(0)->isEnabled());
        });
    }

    void pathFieldsShowTheWholePath() {
        settings_.InputDir = "/media/a-user-with-a-long-name/Some Disc Label/";
        settings_.DatabaseDir =
            "/home/a-user-with-a-rather-long-name/.local/share/Quillory Databases/";
        ShowAnd([&] {
            for (QLineEdit* field : {dialog_->InputDirField(), dialog_->DatabaseDirField()}) {
                QStyleOptionFrame option;
                option.initFrom(field);
                const QRect text =
                    field->style()->subElementRect(QStyle::SE_LineEditContents, &option, field);
                QVERIFY2(field->fontMetrics().horizontalAdvance(field->text()) <= text.width(),
                         qPrintable(field->text()));
            }
        });
    }

    void thePickerShowsFolderIcons() {
        const auto* tree = picker_->findChild<QTreeView*>("DirectoryTree");
        const QModelIndex home = tree->currentIndex();
        QVERIFY(home.isValid());
        for (const QModelIndex& folder : {home, home.parent()}) {
            const QIcon icon = folder.data(Qt::DecorationRole).value<QIcon>();
            QVERIFY(!icon.isNull());
            QVERIFY(!icon.pixmap(16).isNull());
        }
    }

    void cancelWritesNothingAndTheNextShowingForgetsEdits() {
        ShowAnd([&] {
            dialog_->DatabaseDirField()->setText("/elsewhere");
            dialog_->findChild<QPushButton*>("CancelButton")->click();
        });
        QVERIFY(store_.Values.empty());
        QCOMPARE(settings_.DatabaseDir, std::string("/data/"));
        ShowAnd([&] { QCOMPARE(dialog_->DatabaseDirField()->text(), QString("/data/")); });
    }

    void refusedEntriesKeepTheDialogOpenAndWriteNothing() {
        BoxRecorder boxes;
        bool openAfterEmptyPath = false;
        bool openAfterBadWidth = false;
        ShowAnd([&] {
            dialog_->InputDirField()->clear();
            dialog_->SaveButtonClick();
            openAfterEmptyPath = dialog_->isVisible();
            dialog_->InputDirField()->setText("/media/cdrom");
            dialog_->ColumnEdit(4)->setText("x");
            dialog_->SaveButtonClick();
            openAfterBadWidth = dialog_->isVisible();
        });
        QVERIFY(openAfterEmptyPath);
        QVERIFY(openAfterBadWidth);
        QCOMPARE(boxes.Boxes.size(), std::size_t(2));
        QCOMPARE(boxes.Boxes[0].Title, QString("Error"));
        QCOMPARE(boxes.Boxes[0].Text,
                 QString("One of the drives/directories is empty - please recheck them."));
        QVERIFY(boxes.Boxes[1].Text.contains("Size"));
        QVERIFY(store_.Values.empty());
    }

    void saveStoresTheTextsAndCompletesThePaths() {
        int result = ShowAnd([&] {
            dialog_->InputDirField()->setText("/media/cdrom");
            dialog_->DatabaseDirField()->setText("/");
            dialog_->findChild<QPushButton*>("SaveButton")->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(store_.Values["InputDir"], std::string("/media/cdrom/"));
        QCOMPARE(store_.Values["DatabaseDir"], std::string("/"));
        QCOMPARE(store_.Values["PrintCols"], std::string("  5  40 120   4  10  20"));
        QCOMPARE(store_.Values["PrintColsEnabled"], std::string("1 0 1 1 0 1 "));
        QCOMPARE(dialog_->InputDirField()->text(), QString("/media/cdrom/"));
        QCOMPARE(settings_.InputDir, std::string("/media/cdrom/"));
    }
};

QTEST_MAIN(SetupDialogTest)
#include "SetupDialogTest.moc"
