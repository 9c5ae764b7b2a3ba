#include "ui/browse/FontListCommands.h"

#include <QApplication>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "core/ProgramOptions.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/item/FontItem.h"
#include "ui/common/FontRows.h"

namespace Quillmark {

namespace {

// Raised on the application while a print preview is open.
const char* const kPrintPreviewProperty = "quillmarkPrintPreview";

}  // namespace

// ---------------------------------------------------------------- printing

bool CFontListCommands::InPrintPreview() {
    return qApp != nullptr && qApp->property(kPrintPreviewProperty).toBool();
}

CFontBookText CFontListCommands::BookText() const {
    CFontBookText text;
    text.pointSize = static_cast<int>(m_options.GetPrintCharSize());
    text.line1 = m_options.GetPrintSampleTextLine1();
    text.line2 = m_options.GetPrintSampleTextLine2();
    return text;
}

std::vector<CFontBookEntry> CFontListCommands::BookEntries() const {
    const CFontBookText text = BookText();
    std::vector<CFontBookEntry> entries;
    for (int row = 0; row < m_rows.rowCount(); ++row) {
        if (const CFontItem* item = m_rows.ItemAt(row)) {
            entries.push_back(FontBookEntryOf(*item, text));
        }
    }
    return entries;
}

int CFontListCommands::PrintTo(QPagedPaintDevice& device) {
    const CFontBookText text = BookText();
    QPainter painter(&device);
    if (!painter.isActive()) {
        return 0;
    }
    int from = 0;
    int to = 0;
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) {
        if (printer->printRange() == QPrinter::PageRange) {
            from = printer->fromPage();
            to = printer->toPage();
        }
    }
    return PaintFontBook(painter, device, BookEntries(), text, from, to);
}

QPrinter& CFontListCommands::Printer() {
    if (m_printer == nullptr) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // The book paints the whole sheet and keeps the margins itself.
        m_printer->setFullPage(true);
        m_printer->setDocName(tr("Quillmark fonts"));
        m_printer->setPageMargins(QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch);
    }
    return *m_printer;
}

void CFontListCommands::PageSetup() {
    m_hooks.pageSetup(Printer());
}

void CFontListCommands::PrintOn(QPrinter& printer) {
    CFontBookText text = BookText();
    text.margins = printer.pageLayout().margins(QPageLayout::Point);
    // A page layout set from outside (the setup dialog) comes with the
    // device's own margins again: the book paints the whole sheet.
    printer.setFullPage(true);
    QPainter painter(&printer);
    if (!painter.isActive()) {
        return;
    }
    int from = 0;
    int to = 0;
    if (printer.printRange() == QPrinter::PageRange) {
        from = printer.fromPage();
        to = printer.toPage();
    }
    PaintFontBook(painter, printer, BookEntries(), text, from, to);
}

void CFontListCommands::Print() {
    QPrinter& printer = Printer();
    if (m_hooks.printDialog(printer)) {
        PrintOn(printer);
    }
}

void CFontListCommands::PrintPreview() {
    QPrinter& printer = Printer();
    qApp->setProperty(kPrintPreviewProperty, true);
    QPrintPreviewDialog preview(&printer, Window());
    preview.setAccessibleName(tr("Print Preview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* device) { PrintOn(*device); });
    preview.exec();
    qApp->setProperty(kPrintPreviewProperty, false);
}

}  // namespace Quillmark
