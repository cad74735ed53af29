#pragma once

#include "zrwidgets_export.h"

#include <QString>

#include <memory>

class QAbstractItemModel;
class QHeaderView;
class QTextDocument;
class QWidget;

namespace zr {

/// The rows of `model` as an HTML table, as a view over it shows them: the
/// columns that `header` does not hide, in its visual order, under the
/// model's captions (every column in model order when `header` is null);
/// the rows in the model's order, so a sorting or filtering proxy prints as
/// it sorts and filters. A row with children is a heading across the table
/// followed by its children (the groups of a grouped list); a checkable cell
/// starts with a ticked or empty box. `title` goes above the table and
/// `footer` below it; empty ones are left out. Values are escaped.
ZRWIDGETS_EXPORT QString ListHtml(const QAbstractItemModel &model, const QHeaderView *header, const QString &title,
                              const QString &footer);

/// ListHtml as a document ready to print.
ZRWIDGETS_EXPORT std::unique_ptr<QTextDocument> ListDocument(const QAbstractItemModel &model, const QHeaderView *header,
                                                         const QString &title, const QString &footer);

/// Shows `document` in a print preview for the user's printer; its print
/// command opens the print dialog, which also saves to a PDF file. Modal.
ZRWIDGETS_EXPORT void PreviewAndPrint(QTextDocument &document, const QString &windowTitle, QWidget *parent);

} // namespace zr
