#include "itempanel/itempanelmodel.h"
#include "../datafile.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using zr::ItemPanelModel;
namespace Style = zr::ItemStyle;

// An item style by the name the data files give it.
static int styleNamed(const QString &name)
{
    static const QHash<QString, int> styles{{"Header", Style::Header}, {"Picker", Style::Picker}, {"Entry", Style::Entry},
        {"ChoiceRow", Style::ChoiceRow}, {"TextRow", Style::TextRow}, {"MenuEntry", Style::MenuEntry},
        {"Command", Style::Command}, {"CheckBox", Style::CheckBox}};
    return styles.value(name, -1);
}

class tst_ItemPanelModel : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ItemPanelModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;

    // Two requirement blocks as the requirement list builds them: keys with
    // minus signs and commas, parameter rows nested under their header.
    void buildTwoBlocks()
    {
        ItemPanelModel &m = *m_model;
        for (const QString &id : {QStringLiteral("-1"), QStringLiteral("-2")}) {
            const QString group = QLatin1Char('I') + id;
            QVERIFY(m.addItem(group, QStringLiteral("Group ") + id, Style::Header));
            QVERIFY(m.addItem(group + QLatin1String(",conselobjIDs"), QStringLiteral("Codes"), Style::Picker, group));
            QVERIFY(m.addItem(group + QLatin1String(",conoperator"), QStringLiteral("Operator"), Style::ChoiceRow, group));
            QVERIFY(m.addItem(group + QLatin1String(",conoptval1"), QStringLiteral("Value 1"), Style::Entry, group));
            QVERIFY(m.addItem(group + QLatin1String(",conoptval10"), QStringLiteral("Sectors"), Style::Picker, group));
            // Choice keys repeat between rows; they are keyed within their row.
            for (const int code : {0, 3, 5})
                QVERIFY(m.addChoice(group + QLatin1String(",conoperator"), QStringLiteral("KI%1,%2").arg(id).arg(code),
                                    QStringLiteral("op %1").arg(code)));
        }
    }

private Q_SLOTS:
    void init()
    {
        m_model = std::make_unique<ItemPanelModel>();
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup()
    {
        m_tester.reset();
        m_model.reset();
    }

    void findsKeysExactly_data() { zr::test::addDataRows(QFINDTESTDATA("data/itempanelmodel-finds-keys-exactly.tsv")); }
    void findsKeysExactly()
    {
        QFETCH(QString, key);
        QFETCH(bool, found);
        QFETCH(QString, caption);
        QFETCH(QString, parent);
        buildTwoBlocks();
        QCOMPARE(m_model->contains(key), found);
        QCOMPARE(m_model->caption(key), caption);
        QCOMPARE(m_model->parentKey(key), parent);
        const QModelIndex index = m_model->indexOf(key, ItemPanelModel::ValueColumn);
        QCOMPARE(index.isValid(), found);
        if (found)
            QCOMPARE(m_model->keyOf(index), key);
    }

    void removeDropsSubItemsAndAllowsReinsert()
    {
        buildTwoBlocks();
        QVERIFY(m_model->removeItem("I-1"));
        QVERIFY(!m_model->contains("I-1,conoptval1"));
        QCOMPARE(m_model->itemCount(), 5);
        QVERIFY(!m_model->removeItem("I-1"));

        // The freed keys can be used again, and the survivors are found at their new rows.
        QVERIFY(m_model->addItem("I-1", "Again", Style::Header, QString(), 0));
        QVERIFY(m_model->addItem("I-1,conoptval1", "Value", Style::Entry, "I-1"));
        QCOMPARE(m_model->keys(), QStringList({"I-1", "I-2"}));
        QCOMPARE(m_model->indexOf("I-2").row(), 1);
        QCOMPARE(m_model->indexOf("I-2,conoptval1").row(), 2);
    }

    // Hundreds of rows and of choices, every third removed: each key left is found, at its row.
    void thinnedOutListsFindEveryKeyLeft()
    {
        QVERIFY(m_model->addItem("codes", "Codes", Style::ChoiceRow));
        for (int i = 0; i < 300; ++i)
            QVERIFY(m_model->addItem(QString::number(i), {}, Style::Entry) && m_model->addChoice("codes", QString::number(i), {}));
        for (int i = 0; i < 300; i += 3)
            QVERIFY(m_model->removeItem(QString::number(i)) && m_model->removeChoice("codes", QString::number(i)));
        for (int i = 0; i < 300; ++i) {
            QCOMPARE(m_model->containsChoice("codes", QString::number(i)), i % 3 != 0);
            QCOMPARE(m_model->indexOf(QString::number(i)).row(), i % 3 ? i - i / 3 : -1);
        }
    }

    void addsAtPosition_data() { zr::test::addDataRows(QFINDTESTDATA("data/itempanelmodel-adds-at-position.tsv")); }
    void addsAtPosition()
    {
        QFETCH(int, row);
        QFETCH(QString, before);
        QFETCH(QStringList, expected);
        QVERIFY(m_model->addItem("add", "Add", Style::Command));
        for (const QString key : {"a", "b", "c"})
            QVERIFY(m_model->addItem(key, key, Style::MenuEntry, "add"));
        if (before.isEmpty())
            QVERIFY(m_model->addItem("new", "New", Style::MenuEntry, "add", row));
        else
            QVERIFY(m_model->insertItem(before, "new", "New", Style::MenuEntry));
        QCOMPARE(m_model->keys("add"), expected);
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(m_model->indexOf(expected.at(i)).row(), i);
    }

    void refusesBadKeys_data() { zr::test::addDataRows(QFINDTESTDATA("data/itempanelmodel-refuses-bad-keys.tsv")); }
    void refusesBadKeys()
    {
        QFETCH(QString, key);
        QFETCH(QString, parent);
        buildTwoBlocks();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("add(Item|Choice)"));
        QVERIFY(!m_model->addItem(key, "dup", Style::Entry, parent));
        QCOMPARE(m_model->itemCount(), 10);
        QCOMPARE(m_model->caption("I-1"), QStringLiteral("Group -1"));
    }

    void selectsChoicesByKey_data() { zr::test::addDataRows(QFINDTESTDATA("data/itempanelmodel-selects-choices-by-key.tsv")); }
    void selectsChoicesByKey()
    {
        QFETCH(QString, row);
        QFETCH(QString, choice);
        QFETCH(bool, selected);
        QFETCH(QString, text);
        buildTwoBlocks();
        m_model->selectChoice("I-1,conoperator", "KI-1,3");
        QSignalSpy changed(m_model.get(), &ItemPanelModel::valueChanged);
        QCOMPARE(m_model->selectChoice(row, choice), selected);
        QCOMPARE(changed.count(), selected ? 1 : 0);
        if (selected)
            QCOMPARE(m_model->value(row).toString(), choice);
        QCOMPARE(m_model->valueText(row), text);
        QCOMPARE(m_model->indexOf(row, ItemPanelModel::ValueColumn).data().toString(), text);
    }

    void choicesFollowRemovalAndPosition()
    {
        buildTwoBlocks();
        const QString row = "I-1,conoperator";
        QVERIFY(m_model->selectChoiceAt(row, 1));
        QCOMPARE(m_model->value(row).toString(), QStringLiteral("KI-1,3"));
        QCOMPARE(m_model->selectedChoicePosition(row), 1);
        QVERIFY(!m_model->selectChoiceAt(row, 3));

        QVERIFY(m_model->removeChoice(row, "KI-1,0"));
        QCOMPARE(m_model->selectedChoicePosition(row), 0);
        QVERIFY(m_model->removeChoice(row, "KI-1,3"));
        QVERIFY(m_model->value(row).isNull());
        QVERIFY(m_model->addChoice(row, "KI-1,3", "back", Style::Choice, 0));
        QCOMPARE(m_model->keys(row), QStringList({"KI-1,3", "KI-1,5"}));
        // Adding under a choice row through addItem adds a choice.
        QVERIFY(m_model->addItem("browse", "Browse...", Style::Choice, row));
        QVERIFY(!m_model->contains("browse"));
        QCOMPARE(m_model->keys(row).last(), QStringLiteral("browse"));
    }

    void userEditsPassTheBeforeEvent_data() { zr::test::addDataRows(QFINDTESTDATA("data/itempanelmodel-user-edits-pass-the-before-event.tsv")); }
    void userEditsPassTheBeforeEvent()
    {
        QFETCH(QString, styleName);
        const int style = styleNamed(styleName);
        QFETCH(QVariant, newValue);
        QFETCH(bool, cancel);
        QFETCH(bool, itemEnabled);
        QFETCH(bool, panelEnabled);
        QFETCH(bool, asked);
        QFETCH(bool, stored);
        QVERIFY(m_model->addItem("I-3,conoptval1", "Value", style));
        m_model->setValue("I-3,conoptval1", style == Style::CheckBox ? QVariant(0) : QVariant("old"));
        const QVariant oldValue = m_model->value("I-3,conoptval1");
        m_model->setItemEnabled("I-3,conoptval1", itemEnabled);
        m_model->setEnabled(panelEnabled);

        int askedCount = 0;
        connect(m_model.get(), &ItemPanelModel::beforeValueChange, this,
                [&](const QString &key, const QVariant &value, bool &c) {
                    ++askedCount;
                    QCOMPARE(key, QStringLiteral("I-3,conoptval1"));
                    QCOMPARE(value, newValue);
                    // The old value is still in place while the handler decides.
                    QCOMPARE(m_model->value(key), oldValue);
                    c = cancel;
                });
        QSignalSpy changed(m_model.get(), &ItemPanelModel::valueChanged);
        // Through the model interface, as the delegate does.
        const int role = style == Style::CheckBox ? Qt::CheckStateRole : Qt::EditRole;
        const int column = style == Style::CheckBox ? 0 : 1;
        const QVariant data = style == Style::CheckBox ? QVariant(Qt::Checked) : newValue;
        QCOMPARE(m_model->setData(m_model->indexOf("I-3,conoptval1", column), data, role), stored);
        QCOMPARE(askedCount, asked ? 1 : 0);
        const bool changes = stored && newValue != oldValue;
        QCOMPARE(m_model->value("I-3,conoptval1"), changes ? newValue : oldValue);
        QCOMPARE(changed.count(), changes ? 1 : 0);
        if (changes)
            QCOMPARE(changed.at(0), QVariantList({"I-3,conoptval1", "Value"}));
    }

    // The before-event is the user's: an edit to a choice the row has asks it, one to another
    // row's choice is refused unasked, and values set by code (the same twice) never ask.
    void onlyUserEditsAskBeforeTheChange()
    {
        buildTwoBlocks();
        int asked = 0;
        connect(m_model.get(), &ItemPanelModel::beforeValueChange, this, [&](auto &&...) { ++asked; });
        QSignalSpy changed(m_model.get(), &ItemPanelModel::valueChanged);
        QVERIFY(!m_model->editValue("I-1,conoperator", "KI-2,5"));
        QVERIFY(m_model->editValue("I-1,conoperator", "KI-1,5"));
        QCOMPARE(asked, 1);
        m_model->setEnabled(false);
        QVERIFY(m_model->setValue("I-1,conoptval1", "7"));
        QVERIFY(m_model->setValue("I-1,conoptval1", "7"));
        QVERIFY(!m_model->setValue("missing", "7"));
        QCOMPARE(asked, 1);
        QCOMPARE(changed.count(), 2);
    }

    void requestEditAsksBeforeEdit_data() { zr::test::addDataRows(QFINDTESTDATA("data/itempanelmodel-request-edit-asks-before-edit.tsv")); }
    void requestEditAsksBeforeEdit()
    {
        QFETCH(QString, styleName);
        const int style = styleNamed(styleName);
        QFETCH(bool, enabled);
        QFETCH(bool, cancel);
        QFETCH(bool, asked);
        QFETCH(bool, allowed);
        QVERIFY(m_model->addItem("k", "K", style));
        m_model->setItemEnabled("k", enabled);
        int askedCount = 0;
        connect(m_model.get(), &ItemPanelModel::beforeEdit, this, [&](const QString &key, bool &c) {
            ++askedCount;
            QCOMPARE(key, QStringLiteral("k"));
            c = cancel;
        });
        QCOMPARE(m_model->requestEdit("k"), allowed);
        QCOMPARE(askedCount, asked ? 1 : 0);
        QCOMPARE(bool(m_model->flags(m_model->indexOf("k", 1)) & Qt::ItemIsEditable),
                 style != Style::Header && style != Style::Command && style != Style::TextRow);
    }

    void clicksByKind_data() { zr::test::addDataRows(QFINDTESTDATA("data/itempanelmodel-clicks-by-kind.tsv")); }
    void clicksByKind()
    {
        QFETCH(QString, styleName);
        const int style = styleNamed(styleName);
        QFETCH(bool, enabled);
        QFETCH(int, buttonClicks);
        QFETCH(int, itemClicks);
        QVERIFY(m_model->addItem("130", "Class group category", style));
        m_model->setItemEnabled("130", enabled);
        QSignalSpy buttons(m_model.get(), &ItemPanelModel::buttonClicked);
        QSignalSpy items(m_model.get(), &ItemPanelModel::itemClicked);
        m_model->clickButton("130");
        m_model->clickItem("130");
        QCOMPARE(buttons.count(), buttonClicks);
        QCOMPARE(items.count(), itemClicks);
        if (style == Style::CheckBox)
            QCOMPARE(m_model->value("130").toInt(), 1);
    }

    void selectsOneItemAtATime()
    {
        buildTwoBlocks();
        QSignalSpy selected(m_model.get(), &ItemPanelModel::itemSelected);
        QVERIFY(m_model->setSelected("I-1,conoptval1", true));
        QVERIFY(m_model->setSelected("I-1,conoptval1", true));
        QVERIFY(m_model->setSelected("I-2", true));
        QCOMPARE(selected.count(), 2);
        QCOMPARE(selected.at(1).at(0).toString(), QStringLiteral("I-2"));
        QVERIFY(!m_model->isSelected("I-1,conoptval1"));
        QCOMPARE(m_model->selectedKey(), QStringLiteral("I-2"));
        QVERIFY(m_model->removeItem("I-2"));
        QVERIFY(m_model->addItem("I-3", "Group -3", Style::Header)); // in the place I-2 left
        QCOMPARE(m_model->selectedKey(), QString());
    }

    void redrawOffBatchesIntoOneReset()
    {
        QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
        QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
        m_model->setRedraw(false);
        m_model->setRedraw(false);
        buildTwoBlocks();
        m_model->setValue("I-1,conoptval1", "3");
        m_model->removeItem("I-2,conoptval10");
        QCOMPARE(inserted.count(), 0);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(reset.count(), 0);
        m_model->setRedraw(true);
        m_model->setRedraw(true);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(m_model->rowCount(m_model->indexOf("I-2")), 3);
        QCOMPARE(m_model->indexOf("I-1,conoptval1", 1).data().toString(), QStringLiteral("3"));

        // With redraw on, each change is announced for the rows it touches.
        m_model->addItem("I-1,conoptval2", "Value 2", Style::Entry, "I-1", 1);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.at(0).at(0).value<QModelIndex>(), m_model->indexOf("I-1"));
        QCOMPARE(inserted.at(0).at(1).toInt(), 1);
    }

    void reportsStateForViews()
    {
        buildTwoBlocks();
        m_model->setVisible("I-2,conoptval1", false);
        QSignalSpy expanded(m_model.get(), &ItemPanelModel::expandedChanged);
        m_model->setExpanded("I-1", true);
        m_model->setAllExpanded(true);
        QCOMPARE(expanded.count(), 2);
        QCOMPARE(expanded.at(1), QVariantList({QString(), true}));
        QVERIFY(!m_model->isExpanded("I-2,conoperator")); // its choices are not sub-items to expand
        QStringList hidden;
        int visited = 0;
        m_model->visitItems([&](const ItemPanelModel::ItemState &state) {
            ++visited;
            if (!state.visible)
                hidden << m_model->keyOf(state.index);
            QCOMPARE(state.expanded, m_model->isExpanded(m_model->keyOf(state.index)));
        });
        QCOMPARE(visited, 10);
        QCOMPARE(hidden, QStringList({"I-2,conoptval1"}));
    }
};

QTEST_GUILESS_MAIN(tst_ItemPanelModel)
#include "tst_itempanelmodel.moc"
