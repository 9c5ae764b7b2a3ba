#pragma once

// A search window's widgets: a tool window owned by the main window with
// two bands above the results (the kind's own control; "Look in:" with the
// options, Stop and Search buttons), the results as a font list, and the
// status bar with its icon, text and marquee. What the widgets do is the
// controller's business (FindController.h).

#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

#include "ui/common/FontRowsView.h"

namespace Quillmark {

class CElidedLabel;
class CProgramOptions;
class CFontRows;

// The status bar: an icon (idle, searching, canceled), the status text and
// a marquee while a folder is being searched. The text starts empty; a long
// path in it is shortened in the middle rather than widening the window.
class CFindStatusBar : public QStatusBar {
    Q_OBJECT

public:
    enum class State { Idle, Searching, Canceled };
    explicit CFindStatusBar(QWidget* parent = nullptr);

    void ShowSearching(const QString& folder);  // "Searching %1..."
    void ShowCanceled(int found);               // "Search was canceled.  Files Found: %1"
    void ShowComplete(int found);               // "Search complete.  Files Found: %1"
    // The location could not be searched: why, and the count.
    void ShowFailed(const QString& failure, int found);

    // The whole text, however much of it fits.
    QString Text() const;
    // The text as it is shown.
    QString ShownText() const;
    // The icon's state.
    State GetState() const { return m_state; }
    bool IsAnimating() const { return m_progress->isVisible(); }

private:
    void SetState(State state, bool animating);

    QLabel* m_icon;
    CElidedLabel* m_text;
    QProgressBar* m_progress;
    State m_state = State::Idle;
};

class CFindFrame : public QMainWindow {
    Q_OBJECT

public:
    // The "Look in:" entries' level, for their indent in the list.
    static constexpr int IndentRole = Qt::UserRole + 1;

    CFindFrame(QWidget* owner, const QString& caption, CFontRows& results,
               const CProgramOptions& options, QFont uiFont);

    // Band 1: the kind's control, with its label (none when empty).
    void SetBand(const QString& label, QWidget* control);

    QComboBox* LookIn() const { return m_lookIn; }
    QToolButton* OptionsButton() const { return m_options; }
    QAction* SearchAction() const { return m_search; }
    QAction* StopAction() const { return m_stop; }
    CFontRowsView* Results() const { return m_results; }
    CFindStatusBar* Status() const { return m_status; }

    // Shows the window in front, active, with the keyboard in `focus`.
    void BringForward(QWidget* focus);

signals:
    void Closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolBar* m_band1;
    QComboBox* m_lookIn;
    QToolButton* m_options;
    QAction* m_search;
    QAction* m_stop;
    CFontRowsView* m_results;
    CFindStatusBar* m_status;
};

}  // namespace Quillmark
