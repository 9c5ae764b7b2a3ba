#pragma once

// "Reading Font Information...": the folder load's progress, shown while
// worker threads read a folder. The window stays responsive; Cancel stops
// the workers after the file each is reading, and keeps what was read.

#include <QDialog>

class QLabel;
class QProgressBar;

namespace Quillmark {

class CFolderLoad;

class CFolderLoadDialog : public QDialog {
    Q_OBJECT

public:
    explicit CFolderLoadDialog(CFolderLoad& load, QWidget* parent = nullptr);

    // Starts the load and returns when its workers have all ended (finished
    // or cancelled). The dialog shows itself only when the load takes
    // longer than a blink, so that small folders do not flash a window.
    void Run();

    static QString ProgressText(std::size_t done, std::size_t total);

protected:
    void reject() override;  // Escape and the close button cancel too
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Poll();
    void OnCancel();

    CFolderLoad& m_load;
    QProgressBar* m_bar;
    QLabel* m_text;
    int m_ticks = 0;
};

}  // namespace Quillmark
