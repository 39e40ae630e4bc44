#pragma once

#include "settings/SetupForm.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLineEdit;
class QTabWidget;

namespace quillory {

class TForm_SelDir;

// "Quillory Setup": the input location and the database root on the "General"
// tab, the six printed columns on the "Printer" tab. Nothing is written before
// "Save Settings"; every showing refills the controls from the settings.
class TForm_Setup final : public QDialog {
    Q_OBJECT
public:
    TForm_Setup(Settings& settings, SettingsStore& store, TForm_SelDir& picker,
                QWidget* parent = nullptr);

    // Refills every control from the settings and shows the dialog modally.
    int ShowModal();
    void SaveButtonClick();

    QLineEdit* InputDirField() const { return inputDir_; }
    QLineEdit* DatabaseDirField() const { return databaseDir_; }
    QCheckBox* ColumnBox(std::size_t i) const { return columnBoxes_.at(i); }
    QLineEdit* ColumnEdit(std::size_t i) const { return columnEdits_.at(i); }

private:
    QWidget* CreateGeneralTab();
    QWidget* CreatePrinterTab();
    void Fill(const SetupForm& form);
    SetupForm Read() const;
    void Browse(QLineEdit* field);
    static void WidenToShow(QLineEdit* field);

    Settings& settings_;
    SettingsStore& store_;
    TForm_SelDir& picker_;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* inputDir_ = nullptr;
    QLineEdit* databaseDir_ = nullptr;
    std::array<QCheckBox*, PrintColumnCount> columnBoxes_{};
    std::array<QLineEdit*, PrintColumnCount> columnEdits_{};
};

} // namespace quillory
