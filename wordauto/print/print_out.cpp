#include "wordauto/print/print_out.h"

#include "wordauto/oxml/document_model.h"
#include "wordauto/layout/document_layout.h"
#include "wordauto/layout/page_painter.h"
#include "wordauto/word_error.h"

#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <filesystem>

namespace wordauto::print {

namespace {

namespace fs = std::filesystem;

std::string shownName(const detail::DocumentModel& doc)
{
    return doc.path().empty() ? doc.name() : doc.path();
}

// "<document>.pdf", or "<document> (2).pdf" and so on when an earlier print is there.
fs::path pdfPath(const fs::path& folder, const std::string& documentName)
{
    std::string stem = fs::path(documentName).stem().string();
    if (stem.empty())
        stem = "Documento";
    fs::path p = folder / (stem + ".pdf");
    for (int n = 2; fs::exists(p); ++n)
        p = folder / (stem + " (" + std::to_string(n) + ").pdf");
    return p;
}

} // namespace

void printDocument(detail::DocumentModel& doc, const std::string& destinationFolder)
{
    if (destinationFolder.empty() && QPrinterInfo::defaultPrinter().isNull())
        throwFileError("Nessuna stampante predefinita: impossibile stampare il documento", shownName(doc));
    const layout::DocumentLayout pages = layout::layoutDocument(doc);
    doc.cachePageCount(static_cast<int>(pages.pages.size()));
    const QString title = QString::fromStdString(fs::path(doc.name()).stem().string());

    if (!destinationFolder.empty()) {
        std::error_code ec;
        fs::create_directories(destinationFolder, ec);
        const fs::path target = pdfPath(destinationFolder, doc.name());
        bool ok = false;
        {
            QPdfWriter writer(QString::fromStdString(target.string()));
            writer.setTitle(title);
            writer.setCreator(QStringLiteral("Vendrik"));
            writer.setResolution(1200);
            ok = layout::paintDocument(writer, pages);
        }
        if (!ok || !fs::exists(target)) {
            fs::remove(target, ec);
            throwFileError("La stampa in PDF non è riuscita (" + target.string() + ")", shownName(doc));
        }
        return;
    }

    QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    printer.setDocName(title);
    printer.setFullPage(true);
    if (!layout::paintDocument(printer, pages))
        throwFileError("La stampa non è riuscita sulla stampante " + printer.printerName().toStdString(),
                       shownName(doc));
}

} // namespace wordauto::print
