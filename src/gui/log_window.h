#pragma once
// Log: the program's one log window. A finished run's log is loaded into it; the user can read,
// edit, copy, save and print it. Log files are Windows-1252 with CR LF line ends on disk.
#include <QMainWindow>

class QPlainTextEdit;

namespace hk {

class LogWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit LogWindow(QWidget* parent = nullptr);

    // Loads a log file and names it in the caption; false (and the text cleared) when it
    // cannot be read.
    bool LoadFile(const QString& path);
    const QString& FileName() const { return fileName_; }
    QString Text() const;
    bool IsModified() const;

    void Clear();
    // Repainting off and on around bulk output.
    void Redraw(bool on);
    void TextOut(const QString& text);
    void LineOut(const QString& text);
    void NewLine();
    void Error(const QString& text);   // "*ERROR* " text
    void Warning(const QString& text); // "*Warning* " text

    // Writes the text to `path` (Windows-1252, CR LF); shows "Error saving ..." on failure.
    bool SaveTo(const QString& path);
    bool Save();   // to FileName, or as Save As when there is none
    bool SaveAs(); // asks for a file name
    void Print();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void UpdateCaption();

    QPlainTextEdit* text1_;
    QString fileName_;
};

} // namespace hk
