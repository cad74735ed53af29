#include "search/listprint.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>

namespace zr {

namespace {

// The columns a view over the model shows, in the order it shows them.
QList<int> shownColumns(const QAbstractItemModel &model, const QHeaderView *header)
{
    QList<int> columns;
    const int count = model.columnCount();
    if (!header || header->model() != &model) {
        for (int c = 0; c < count; ++c)
            columns << c;
        return columns;
    }
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical >= 0 && logical < count && !header->isSectionHidden(logical))
            columns << logical;
    }
    return columns;
}

QString alignmentOf(const QModelIndex &index)
{
    const Qt::Alignment align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    if (align & Qt::AlignRight)
        return QStringLiteral(" align=\"right\"");
    if (align & Qt::AlignHCenter)
        return QStringLiteral(" align=\"center\"");
    return QString();
}

QString cellText(const QModelIndex &index)
{
    QString text;
    const QVariant check = index.data(Qt::CheckStateRole);
    if (check.isValid())
        text = check.value<Qt::CheckState>() == Qt::Checked ? QStringLiteral("\u2611 ") : QStringLiteral("\u2610 ");
    return text + index.data(Qt::DisplayRole).toString().toHtmlEscaped();
}

void appendRows(const QAbstractItemModel &model, const QModelIndex &parent, const QList<int> &columns, QString &html)
{
    const int rows = model.rowCount(parent);
    for (int row = 0; row < rows; ++row) {
        const QModelIndex first = model.index(row, 0, parent);
        if (model.hasChildren(first)) {
            // A group: its heading is what the first column shown says of it.
            const QString heading = model.index(row, columns.first(), parent).data().toString();
            html += QStringLiteral("<tr class=\"group\"><td colspan=\"%1\"><b>%2</b></td></tr>\n")
                        .arg(columns.size())
                        .arg(heading.toHtmlEscaped());
            appendRows(model, first, columns, html);
            continue;
        }
        html += QStringLiteral("<tr>");
        for (int column : columns) {
            const QModelIndex cell = model.index(row, column, parent);
            html += QStringLiteral("<td") + alignmentOf(cell) + QLatin1Char('>') + cellText(cell)
                + QStringLiteral("</td>");
        }
        html += QStringLiteral("</tr>\n");
    }
}

} // namespace

QString ListHtml(const QAbstractItemModel &model, const QHeaderView *header, const QString &title,
                 const QString &footer)
{
    const QList<int> columns = shownColumns(model, header);
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"><style>"
                                  "th { background-color: #d8d8d8; text-align: left; }"
                                  "tr.group td { background-color: #ececec; }"
                                  "</style></head><body>\n");
    if (!title.isEmpty())
        html += QStringLiteral("<h3>") + title.toHtmlEscaped() + QStringLiteral("</h3>\n");
    if (!columns.isEmpty()) {
        // The heading row is a <thead>, so that every printed page repeats it.
        html += QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                               "style=\"border-collapse: collapse; border-color: #808080;\">\n<thead><tr>");
        for (int column : columns) {
            html += QStringLiteral("<th>") + model.headerData(column, Qt::Horizontal).toString().toHtmlEscaped()
                + QStringLiteral("</th>");
        }
        html += QStringLiteral("</tr></thead>\n");
        appendRows(model, QModelIndex(), columns, html);
        html += QStringLiteral("</table>\n");
    }
    // One paragraph per line of the footer.
    for (const QString &line : footer.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        html += QStringLiteral("<p>") + line.toHtmlEscaped() + QStringLiteral("</p>");
    return html + QStringLiteral("</body></html>");
}

std::unique_ptr<QTextDocument> ListDocument(const QAbstractItemModel &model, const QHeaderView *header,
                                            const QString &title, const QString &footer)
{
    auto document = std::make_unique<QTextDocument>();
    document->setHtml(ListHtml(model, header, title, footer));
    return document;
}

void PreviewAndPrint(QTextDocument &document, const QString &windowTitle, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(windowTitle);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("printPreview"));
    preview.setWindowTitle(windowTitle);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&document](QPrinter *target) { document.print(target); });
    preview.exec();
}

} // namespace zr
