#pragma once
// The dataset choice of a project with several datasets: "Choose TMG Dataset from Project".
#include <QDialog>
#include <vector>

#include "run/user_interface.h"

class QComboBox;
class QPushButton;

namespace hk {

class DatasetDialog : public QDialog {
    Q_OBJECT
public:
    DatasetDialog(const std::vector<DatasetChoice>& datasets, QWidget* parent = nullptr);

    // The chosen DSID after OK; -1 after Cancel.
    long ChosenDsid() const;

private:
    QComboBox* cmbDataSets_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
};

// "1: Main" as the list shows a dataset.
QString DatasetEntry(const DatasetChoice& dataset);

} // namespace hk
