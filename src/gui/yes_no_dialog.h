#pragma once
// frmYesNo: the per-record question with "Yes", "Yes to All", "No" and "No to All".
#include <QDialog>

#include "run/user_interface.h"

class QPlainTextEdit;
class QPushButton;

namespace hk {

class YesNoDialog : public QDialog {
    Q_OBJECT
public:
    explicit YesNoDialog(const QString& message, QWidget* parent = nullptr);

    // The button pressed; No when the dialog was closed another way.
    YesNoAllAnswer Answer() const { return answer_; }
    // The button of index 0 "&Yes", 1 "Yes to &All", 2 "&No", 3 "No to A&ll".
    QPushButton* Button(int index) const { return cmds_[index]; }

private:
    void Choose(YesNoAllAnswer answer);

    QPlainTextEdit* txtMessage_;
    QPushButton* cmds_[4];
    YesNoAllAnswer answer_ = YesNoAllAnswer::No;
};

} // namespace hk
