#pragma once

// The name dialog of the project view: the name of a new project, or a new
// name for one. OK is refused, with a message, for a name that a project
// already has (the old name of a rename included) and for an empty name,
// which the projects file could not keep.

#include <QDialog>
#include <functional>

class QLineEdit;

namespace Quillmark {

class CFontProjects;

class CProjectNameDialog : public QDialog {
    Q_OBJECT

public:
    // `initialName` empty: a new project ("New Font Project"); otherwise a
    // rename of that project ("Rename Font Project").
    CProjectNameDialog(const CFontProjects& projects, const QString& initialName,
                       QWidget* parent = nullptr);

    QString Name() const;
    void SetName(const QString& name);
    // Shows a refusal (caption, text); a message box unless replaced.
    void SetMessageSink(std::function<void(const QString&, const QString&)> sink) {
        m_tell = std::move(sink);
    }
    // Why `name` is refused: {caption, text}, or empty captions when it is not.
    static std::pair<QString, QString> Refusal(const CFontProjects& projects, const QString& name);

    void accept() override;

private:
    const CFontProjects& m_projects;
    QLineEdit* m_edit;
    std::function<void(const QString&, const QString&)> m_tell;
};

}  // namespace Quillmark
