#pragma once
// frmErrorMessage: the error dialog of the run frame. The text is read-only but can be copied,
// so users can pass it on when they report a problem.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace hk {

class ErrorDialog : public QDialog {
    Q_OBJECT
public:
    ErrorDialog(const QString& caption, const QString& text, QWidget* parent = nullptr);

    QString Text() const;
    void CopyText();

private:
    QPlainTextEdit* txtMessage_;
    QPushButton* cmdCopyText_;
    QPushButton* cmdOK_;
    QStatusBar* status_;
};

} // namespace hk
