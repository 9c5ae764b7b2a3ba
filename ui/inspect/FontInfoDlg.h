#pragma once

// What a font's naming table says about it, one row a name record, with the
// file name first and the PANOSE number last. Rows can be copied as text,
// one "Name<TAB>Value" line each.

#include <QDialog>
#include <QTableWidget>

namespace Quillmark {

class CFontItem;

class CFontInfoDlg : public QDialog {
    Q_OBJECT

public:
    // The caller keeps the item alive while the dialog runs.
    explicit CFontInfoDlg(const CFontItem& item, QWidget* parent = nullptr);

    // The value column's text as the font holds it (the cell shows line
    // breaks as blanks).
    static constexpr int kValueRole = Qt::UserRole;

    QTableWidget* Table() const { return m_table; }
    // The selected rows, or every row, as text.
    QString SelectedText() const;
    QString AllText() const;
    void CopySelected() const;
    void CopyAll() const;

    // Runs the dialog for a readable font; nothing for one that is not.
    static void Show(const CFontItem* item, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString RowsText(const QList<int>& rows) const;

    QTableWidget* m_table = nullptr;
};

}  // namespace Quillmark
