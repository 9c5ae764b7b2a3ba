#include "ui/inspect/FontMapWindow.h"

#include <QVBoxLayout>

#include "ui/common/WindowPlacement.h"
#include "ui/inspect/FontMapController.h"
#include "ui/inspect/FontMapView.h"

namespace Quillmark {

CFontMapWindow::CFontMapWindow(CQuillmarkSignals& hub, CProgramOptions& options,
                               CFontManager& manager, CQuillmarkDoc& document, QWidget* owner)
    : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("FontMapWindow"));
    setWindowTitle(tr("Font Map"));
    setAccessibleName(tr("Font Map"));
    m_view = new CFontMapView(this);
    m_controller = new CFontMapController(hub, options, manager, document, m_view, owner);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    OpenInsideWorkArea(*this, QSize(640, 480), owner);
}

}  // namespace Quillmark
