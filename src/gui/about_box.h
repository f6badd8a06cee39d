#pragma once
// The About box: program name, version and legal notice. Help > About shows it modally;
// start-up shows it once as a greeting that closes by itself.
#include <QDialog>

namespace hk {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    // Shows the box without blocking and closes it after `milliseconds` (or on OK).
    void ShowBriefly(int milliseconds);
};

} // namespace hk
