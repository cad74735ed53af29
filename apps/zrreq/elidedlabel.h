#pragma once

#include <QLabel>

namespace zr::app {

/// A one-line label that gives way to its neighbours: a text wider than its room ends in
/// "…" and says itself whole in the tooltip.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    /// The whole text; what shows is elided to the label's width.
    void setFullText(const QString &text);
    QString fullText() const { return m_fullText; }

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void elide();

    QString m_fullText;
};

} // namespace zr::app
