#include "frmcustsettings.h"

#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "itempanel/tilepanel.h"
#include "common/zrerror.h"
#include "dialogs/applyfont.h"
#include "reqtypes/customoptions.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace zr {

class frmCustSettingsPrivate
{
public:
    explicit frmCustSettingsPrivate(frmCustSettings *q) : q(q) {}

    void buildEntries(qint32 requirementType, const QVariant &stored);
    void showOptions();
    void onValueChanged(const QString &key, const QString &propertyName);
    void readList();
    void setTexts();

    frmCustSettings *const q;
    TilePanel *m_panel = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    CustomOptions m_options;
    bool m_cancelled = true;
    // Set while the list is filled from m_options, so that those changes are
    // not taken for the user's.
    bool m_syncing = false;
    // Names a stored value that could not be read, so that OK replaces it knowingly.
    QLabel *m_note = nullptr;
    QString m_unreadable;
};

void frmCustSettingsPrivate::setTexts()
{
    q->setWindowTitle(GetLangString(20551));
    m_ok->setText(GetLangString(20525));
    m_cancel->setText(GetLangString(20092));
    m_panel->setCaption(GetLangString(20552));
    m_panel->setAccessibleName(GetLangString(20552));
    ItemPanelModel *model = m_panel->model();
    for (const OptionEntry &entry : m_options.entries()) {
        const QString caption = GetLangString(entry.captionId);
        model->setCaption(entry.key, entry.isCheckBox ? caption : caption + QStringLiteral(": \t"));
    }
    m_note->setText(ReplaceParams(GetLangString(10108), {m_unreadable}));
    m_note->setVisible(!m_unreadable.isEmpty());
}

void frmCustSettingsPrivate::buildEntries(qint32 requirementType, const QVariant &stored)
{
    ItemPanelModel *model = m_panel->model();
    m_syncing = true;
    model->clear();
    m_options = CustomOptions::decode(requirementType, stored);
    m_unreadable = UnreadableOptions(requirementType, stored.isNull() ? QString() : stored.toString());
    for (const OptionEntry &entry : m_options.entries())
        model->addItem(entry.key, QString(), entry.isCheckBox ? ItemStyle::CheckBox : ItemStyle::Number);
    m_syncing = false;
    setTexts();
    showOptions();
    if (!m_options.entries().isEmpty())
        m_panel->treeView()->setCurrentIndex(model->indexOf(m_options.entries().first().key,
                                                            ItemPanelModel::ValueColumn));
}

void frmCustSettingsPrivate::showOptions()
{
    ItemPanelModel *model = m_panel->model();
    m_syncing = true;
    for (const OptionEntry &entry : m_options.entries()) {
        model->setValue(entry.key, m_options.value(entry.key));
        model->setItemEnabled(entry.key, m_options.isEnabled(entry.key));
    }
    m_syncing = false;
}

void frmCustSettingsPrivate::onValueChanged(const QString &key, const QString &propertyName)
{
    if (m_syncing || propertyName != QLatin1String("Value") || !m_options.contains(key))
        return;
    m_options.setValue(key, m_panel->model()->value(key));
    // The other box of the interlocked pair may have changed with it; a
    // refused change puts the list's value back.
    showOptions();
}

void frmCustSettingsPrivate::readList()
{
    // The checks judge the list as it stands, not the last state the
    // interlock produced.
    const ItemPanelModel *model = m_panel->model();
    for (const OptionEntry &entry : m_options.entries())
        m_options.setValue(entry.key, model->value(entry.key), CustomOptions::Interlock::Skip);
}

frmCustSettings::frmCustSettings(QWidget *parent)
    : LibraryDialog(parent)
    , d(std::make_unique<frmCustSettingsPrivate>(this))
{
    setObjectName(QStringLiteral("frmCustSettings"));
    setModal(true);

    d->m_panel = new TilePanel(this);
    d->m_panel->setObjectName(QStringLiteral("smSettings"));
    // Captions take most of the width; the values are short numbers and boxes.
    d->m_panel->treeView()->header()->setSectionResizeMode(ItemPanelModel::CaptionColumn, QHeaderView::Stretch);
    d->m_panel->treeView()->header()->setSectionResizeMode(ItemPanelModel::ValueColumn, QHeaderView::Fixed);
    d->m_panel->treeView()->header()->setStretchLastSection(false);
    d->m_panel->treeView()->header()->resizeSection(ItemPanelModel::ValueColumn, 90);

    d->m_ok = new QPushButton(this);
    d->m_ok->setObjectName(QStringLiteral("cmdOK"));
    d->m_ok->setDefault(true);
    d->m_cancel = new QPushButton(this);
    d->m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    d->m_cancel->setAutoDefault(false);
    connect(d->m_ok, &QPushButton::clicked, this, &frmCustSettings::accept);
    connect(d->m_cancel, &QPushButton::clicked, this, &frmCustSettings::reject);
    connect(d->m_panel->model(), &ItemPanelModel::valueChanged, this,
            [this](const QString &key, const QString &propertyName) { d->onValueChanged(key, propertyName); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(d->m_ok);
    buttons->addWidget(d->m_cancel);
    d->m_note = new QLabel(this);
    d->m_note->setObjectName(QStringLiteral("lblNote"));
    d->m_note->setWordWrap(true);
    d->m_note->setVisible(false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(d->m_panel, 1);
    layout->addWidget(d->m_note);
    layout->addLayout(buttons);
    d->setTexts();
    resize(660, 260);
}

frmCustSettings::~frmCustSettings() = default;

void frmCustSettings::CustomSettings(qint32 requirementType, QVariant &optionsValue, bool &cancelled,
                                     QWidget *ownerWindow)
{
    if (ownerWindow && ownerWindow != parentWidget())
        setParent(ownerWindow, windowFlags());
    d->m_cancelled = true;
    d->buildEntries(requirementType, optionsValue);

    exec();

    cancelled = d->m_cancelled;
    if (!cancelled)
        optionsValue = d->m_options.encode();
    // Nothing of this session outlives the call.
    d->m_syncing = true;
    d->m_panel->model()->clear();
    d->m_syncing = false;
    d->m_options = CustomOptions();
}

void frmCustSettings::retranslate()
{
    d->setTexts();
}

void frmCustSettings::accept()
{
    d->readList();
    try {
        d->m_options.check(QStringLiteral("frmCustSettings.cmdOK_Click"));
    } catch (ZrError &error) {
        TrapError(error);
        int style = MbInformation | MbOkOnly;
        MsgBoxEx(error.description, style, GetLangString(20552), {}, 0, {}, this);
        return;
    }
    d->m_cancelled = false;
    QDialog::accept();
}

void frmCustSettings::reject()
{
    d->m_cancelled = true;
    QDialog::reject();
}

} // namespace zr
