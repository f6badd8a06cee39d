#pragma once
// frmTMGFlagValue, "Set Flag Value Filter": the user chooses a custom flag, include or
// exclude, and the values. The widgets mirror FlagValueDialogModel, which decides everything.
#include <QDialog>
#include <optional>
#include <span>
#include <string>

#include "formats/flag_value_dialog_model.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace hk {

class FlagValueDialog : public QDialog {
    Q_OBJECT
public:
    explicit FlagValueDialog(QWidget* parent = nullptr);

    // Starts from the project's flags and the current filter; returns the message to show
    // when the filter's field is not a flag of this project.
    std::optional<std::string> Start(std::span<const FlagDefinition> flags,
                                     const CTMGFlagFilter& filter);
    // After OK: the filter the user chose.
    void ApplyTo(CTMGFlagFilter& filter) const { model_.ApplyTo(filter); }
    // 1 after OK, 2 after Cancel.
    int ReturnCode() const { return model_.ReturnCode(); }
    const FlagValueDialogModel& Model() const { return model_; }

private:
    void LabelChanged(int index);
    void ValuesEdited(const QString& text);
    void Refresh();

    FlagValueDialogModel model_;
    QComboBox* cmbFlagLabels_;
    QComboBox* cmbInclude_;
    QLineEdit* txtValues_;
    QLabel* lblValues_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
    bool filling_ = false;
};

} // namespace hk
