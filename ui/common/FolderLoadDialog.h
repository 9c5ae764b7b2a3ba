#pragma once

// "Reading Font Information...": the progress of a folder load, modal for
// the window it belongs to only. It polls the load every 50 ms and shows
// itself only when the load takes longer than a blink, so that small
// folders do not flash a window. Cancel (the button, Escape, closing it)
// stops the workers after the file each is reading; what was read is kept.

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;

namespace Quillmark {

class CFolderLoad;

class CFolderLoadDialog : public QDialog {
    Q_OBJECT

public:
    // The load outlives the dialog.
    explicit CFolderLoadDialog(CFolderLoad& load, QWidget* parent = nullptr);

    static QString ProgressText(std::size_t done, std::size_t total);
    // Shows the progress now.
    void Update();
    // Cancel; Escape and the close button come here too.
    void reject() override;

private:
    void Poll();

    CFolderLoad& m_load;
    QProgressBar* m_bar;
    QLabel* m_text;
    QTimer m_timer;
    int m_ticks = 0;
};

}  // namespace Quillmark
