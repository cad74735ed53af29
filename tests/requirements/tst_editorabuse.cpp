#include "common/createserverobject.h"
#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "itempanel/tilepanel.h"
#include "common/zrerror.h"
#include "database.h"
#include "hostilevalues.h"
#include "jsonschema.h"
#include "largevolume.h"
#include "requirements/funcbuilder.h"
#include "reqtypes/requirementkeys.h"
#include "requirements/zrrequirements.h"
#include "serverfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <exception>

using namespace zr;
using namespace zr::server;

// The editor under a long run of random user actions on a generated degree
// set of three curricula: after every step the list shows exactly the rows
// of the current curriculum, nothing but ZrError escapes (and that only from
// ValidateRecords and UpdateRecordset), and a set written by UpdateRecordset
// is written and validated again. ZR_ABUSE_SEED and ZR_ABUSE_STEPS replay a run.
class tst_EditorAbuse : public QObject
{
    Q_OBJECT
    zr::test::ServerFixture m_server;
    QRandomGenerator m_random;
    std::unique_ptr<zrRequirements> m_editor;
    Recordset m_loaded;
    QStringList m_hostile;
    QTimer m_closer;
    QStringList m_modals;                   // what the dialogs of the current step said
    QHash<QString, QVariant> m_good;        // a value each row had when the set last passed
    QHash<QString, QStringList> m_samples;  // values of each type's field seen in good rows
    QSet<QString> m_dirty;                  // rows edited since the set last passed
    mutable QHash<qint32, int> m_types;     // type of each requirement seen since the last load from the server
    QStringList m_trail;                    // the last steps, for the failure message
    int m_updates = 0;

    static constexpr int Degree = 103;
    static constexpr int ProgrammeKind = 1;

    ItemPanelModel *list() const { return m_editor->findChild<TilePanel *>(QStringLiteral("smRequirements"))->model(); }
    ItemPanelModel *commands() const { return m_editor->findChild<TilePanel *>(QStringLiteral("smButtons"))->model(); }
    QComboBox *chooser() const { return m_editor->findChild<QComboBox *>(QStringLiteral("cbOrient")); }

    int bounded(int n) { return n <= 0 ? 0 : int(m_random.bounded(n)); }
    template<typename T>
    const T &pick(const QList<T> &items) { return items.at(bounded(int(items.size()))); }

    static quint32 envNumber(const char *name, quint32 fallback)
    {
        bool ok = false;
        const quint32 value = qEnvironmentVariable(name).toUInt(&ok);
        return ok ? value : fallback;
    }

    // Answers every dialog a step opens: message boxes are read and closed,
    // the expression wizard and anything else are cancelled.
    void closeModal()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            m_modals << box->text();
            box->accept();
        } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            m_modals << QLatin1String(modal->metaObject()->className());
            dialog->reject();
        } else {
            m_modals << QStringLiteral("?") + QLatin1String(modal->metaObject()->className());
            modal->close();
        }
    }

    // Parameter rows a user can type into or choose from, of shown requirements.
    QStringList editableRows(const QString &group) const
    {
        QStringList keys;
        for (const QString &key : list()->keys(group)) {
            const ItemPanelModel::Kind kind = list()->kind(key);
            if (list()->isVisible(key) && list()->isItemEnabled(key)
                && (kind == ItemPanelModel::Kind::Entry || kind == ItemPanelModel::Kind::Number
                    || kind == ItemPanelModel::Kind::ChoiceRow))
                keys << key;
        }
        return keys;
    }

    QString sampleKey(const QString &key) const
    {
        return QString::number(rowType(OcIdFromKey(key))) + QLatin1Char('|') + FieldFromKey(key);
    }

    int rowType(qint32 ocID) const
    {
        if (const auto known = m_types.constFind(ocID); known != m_types.constEnd())
            return *known;
        Recordset rows = m_editor->rsConstraints().clone();
        const int type = rows.find(QStringLiteral("ocID = ") + QString::number(ocID)) ? rows.value(u"conID").toInt() : 0;
        m_types.insert(ocID, type);
        return type;
    }

    // Remembers the values the list shows as good ones: the set has just passed.
    void rememberGoodValues()
    {
        m_dirty.clear();
        for (const QString &group : list()->keys()) {
            for (const QString &key : list()->keys(group)) {
                const QVariant value = list()->value(key);
                m_good.insert(key, value);
                QStringList &samples = m_samples[sampleKey(key)];
                if (samples.size() < 20 && !samples.contains(value.toString()))
                    samples << value.toString();
            }
        }
    }

    QVariant editValueFor(const QString &key)
    {
        if (list()->kind(key) == ItemPanelModel::Kind::ChoiceRow && bounded(5) != 0) {
            const QStringList choices = list()->keys(key);
            if (!choices.isEmpty())
                return pick(choices);
        }
        switch (bounded(3)) {
        case 0:
            return pick(m_hostile);
        case 1: {
            const QStringList samples = m_samples.value(sampleKey(key));
            if (!samples.isEmpty())
                return pick(samples);
            return QString::number(bounded(30));
        }
        default:
            return m_good.value(key, list()->value(key));
        }
    }

    // --- the operations --------------------------------------------------------

    QString editRow()
    {
        QString key;
        // Half the time a row edited since the set last passed is edited again, often back.
        QStringList dirty;
        for (const QString &candidate : std::as_const(m_dirty)) {
            if (list()->contains(candidate))
                dirty << candidate;
        }
        if (!dirty.isEmpty() && bounded(2) == 0) {
            std::sort(dirty.begin(), dirty.end()); // a set's order is not the same from run to run
            key = pick(dirty);
        } else {
            const QStringList groups = list()->keys();
            if (groups.isEmpty())
                return QStringLiteral("edit: empty list");
            const QStringList rows = editableRows(pick(groups));
            if (rows.isEmpty())
                return QStringLiteral("edit: no editable row");
            key = pick(rows);
        }
        if (!m_good.contains(key))
            m_good.insert(key, list()->value(key));
        const QVariant value = bounded(3) == 0 ? m_good.value(key) : editValueFor(key);
        return edit(key, value);
    }

    // Edits a row as the list's editor does: asks to edit, then enters the value.
    QString edit(const QString &key, const QVariant &value)
    {
        list()->setSelected(key, true);
        const bool stored = list()->requestEdit(key) && list()->editValue(key, value);
        if (stored)
            m_dirty.insert(key);
        return QStringLiteral("edit %1 = \"%2\"%3")
            .arg(key, value.toString().left(60), stored ? QString() : QStringLiteral(" (refused)"));
    }

    static bool settled(const QString &outcome)
    {
        return outcome.startsWith(QLatin1String("UpdateRecordset: written")) || outcome.contains(QLatin1String("FAIL: "));
    }

    bool passes()
    {
        try {
            return m_editor->ValidateRecords();
        } catch (const ZrError &) {
            return false;
        }
    }

    // The rows of the list edited since the set last passed, in a random order.
    QStringList dirtyRows()
    {
        QStringList dirty;
        for (const QString &key : std::as_const(m_dirty)) {
            if (list()->contains(key) && OcIdFromKey(key) > 0 && m_good.contains(key))
                dirty << key;
        }
        std::sort(dirty.begin(), dirty.end());
        for (int i = int(dirty.size()) - 1; i > 0; --i)
            dirty.swapItemsAt(i, bounded(i + 1));
        return dirty;
    }

    QStringList addedRequirements() const
    {
        QStringList added;
        for (const QString &group : list()->keys()) {
            if (OcIdFromKey(group) < 0)
                added << group;
        }
        return added;
    }

    void deleteAll(const QStringList &groups)
    {
        for (const QString &group : groups) {
            list()->setSelected(group, true);
            commands()->clickItem(QStringLiteral("delete"));
        }
    }

    // What a user does to get a refused set saved: puts back the edited rows
    // of each requirement refused until the list passes (hostile values that
    // pass stay and are written), fills in the new requirements from values
    // other requirements of their type hold, deletes those that still fail,
    // mends every curriculum, and at last discards the edits.
    QString mendAndWrite()
    {
        QStringList done;
        int restored = 0;
        for (int round = 0; round < 20 && !passes(); ++round) {
            // A failed check leaves the rows on the requirement it refused.
            const Recordset refused = m_editor->rsConstraints();
            const QString group = refused.eof() || refused.bof() ? QString() : GroupKey(refused.value(u"ocID").toInt());
            const int before = restored;
            for (const QString &key : dirtyRows()) {
                if (round == 19 || key.startsWith(group + QLatin1Char(','))) {
                    edit(key, m_good.value(key));
                    ++restored;
                }
            }
            if (restored == before)
                break;
        }
        const QStringList added = addedRequirements();
        for (const QString &group : added) {
            for (const QString &key : editableRows(group)) {
                if (list()->kind(key) == ItemPanelModel::Kind::ChoiceRow) {
                    const QStringList choices = list()->keys(key);
                    if (!choices.isEmpty())
                        edit(key, pick(choices));
                } else if (const QStringList samples = m_samples.value(sampleKey(key)); !samples.isEmpty()) {
                    edit(key, pick(samples));
                }
            }
        }
        done << QStringLiteral("mended %1 rows, filled %2 new requirements").arg(restored).arg(added.size());
        QString written = update();
        if (!settled(written) && !added.isEmpty()) {
            deleteAll(added);
            done << written << QStringLiteral("deleted the new ones");
            written = update();
        }
        if (!settled(written)) {
            // Something typed in another curriculum: mend them all, the current one last.
            const int current = chooser()->currentIndex();
            for (int i = 1; i <= chooser()->count(); ++i) {
                const int index = (current + i) % chooser()->count();
                chooser()->setCurrentIndex(index);
                Q_EMIT chooser()->activated(index);
                for (const QString &key : dirtyRows())
                    edit(key, m_good.value(key));
                deleteAll(addedRequirements());
            }
            done << written << QStringLiteral("mended every curriculum");
            written = update();
        }
        done << written;
        // Some edits cannot be put back by typing (a cleared code list): the user discards them.
        if (!settled(written))
            done << loadSavedSet();
        return done.join(QStringLiteral("; "));
    }

    QString addRequirement()
    {
        QStringList types;
        for (const QString &key : commands()->keys(QStringLiteral("add"))) {
            if (commands()->isVisible(key))
                types << key;
        }
        const QString type = pick(types);
        const bool clicked = commands()->clickItem(type);
        return QStringLiteral("add %1%2").arg(type, clicked ? QString() : QStringLiteral(" (disabled)"));
    }

    QString deleteRequirement()
    {
        const QStringList groups = list()->keys();
        if (groups.isEmpty())
            return QStringLiteral("delete: empty list");
        // Half the time the user picks one first, else the one still selected goes.
        if (bounded(2) == 0 || list()->selectedKey().isEmpty()) {
            // New requirements rarely pass as added: they go more often.
            QStringList added;
            for (const QString &group : groups) {
                if (OcIdFromKey(group) < 0)
                    added << group;
            }
            list()->setSelected(!added.isEmpty() && bounded(2) == 0 ? pick(added) : pick(groups), true);
        }
        const QString selected = list()->selectedKey();
        const QString group = list()->parentKey(selected).isEmpty() ? selected : list()->parentKey(selected);
        const bool clicked = commands()->clickItem(QStringLiteral("delete"));
        if (clicked && (list()->contains(group) || list()->count() != groups.size() - 1))
            return QStringLiteral("FAIL: delete with %1 selected left it listed (%2 of %3 requirements listed)")
                .arg(selected)
                .arg(list()->count())
                .arg(groups.size());
        return QStringLiteral("delete %1%2").arg(selected, clicked ? QString() : QStringLiteral(" (disabled)"));
    }

    QString switchCurriculum()
    {
        const int index = bounded(chooser()->count());
        chooser()->setCurrentIndex(index);
        Q_EMIT chooser()->activated(index);
        return QStringLiteral("curriculum %1").arg(chooser()->itemData(index).toInt());
    }

    QString cancelWizard()
    {
        const QString expression = m_editor->expression();
        const bool modified = m_editor->isModified();
        const bool clicked = commands()->clickItem(QStringLiteral("coneval"));
        if (m_editor->expression() != expression || m_editor->isModified() != modified)
            return QStringLiteral("FAIL: the cancelled wizard changed the set");
        return QStringLiteral("wizard cancelled%1").arg(clicked ? QString() : QStringLiteral(" (disabled)"));
    }

    QString validate()
    {
        try {
            const bool passed = m_editor->ValidateRecords();
            return QStringLiteral("ValidateRecords: %1").arg(passed);
        } catch (const ZrError &error) {
            return QStringLiteral("ValidateRecords: %1").arg(error.number);
        }
    }

    QString update()
    {
        try {
            m_editor->UpdateRecordset();
        } catch (const ZrError &error) {
            return QStringLiteral("UpdateRecordset: %1 %2").arg(error.number).arg(error.description.left(80));
        }
        ++m_updates;
        if (m_editor->isModified())
            return QStringLiteral("FAIL: modified after UpdateRecordset");
        // Written once, the set writes again unchanged, also (now and then) loaded anew as a host reloads it.
        const QList<QVariantList> written = writtenRows();
        try {
            m_editor->UpdateRecordset();
            if (m_editor->isModified())
                return QStringLiteral("FAIL: modified after the second UpdateRecordset");
            if (const QString change = firstChange(written, writtenRows()); !change.isEmpty())
                return QStringLiteral("FAIL: the second UpdateRecordset changed a row: ") + change;
            if (bounded(3) == 0) {
                m_editor->setRsConstraints(m_loaded);
                if (!m_editor->ValidateRecords())
                    return QStringLiteral("FAIL: the reloaded set does not validate");
                m_editor->UpdateRecordset();
                if (const QString change = firstChange(written, writtenRows()); !change.isEmpty())
                    return QStringLiteral("FAIL: the reloaded set was written otherwise: ") + change;
            }
        } catch (const ZrError &error) {
            return QStringLiteral("FAIL: the written set is refused: %1 %2").arg(error.number).arg(error.description);
        }
        if (const QString overflow = valueTooLong(); !overflow.isEmpty())
            return QStringLiteral("FAIL: a written value does not fit its field: ") + overflow;
        rememberGoodValues();
        // Now and then the host saves it; what the server gives back passes again.
        if (bounded(4) == 0) {
            try {
                CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), QString())->SaveConstraints(m_loaded);
            } catch (const ZrError &error) {
                return QStringLiteral("FAIL: the server refused the written set: %1 %2").arg(error.number).arg(error.description);
            }
            loadSavedSet();
            try {
                if (!m_editor->ValidateRecords())
                    return QStringLiteral("FAIL: the saved set does not validate");
            } catch (const ZrError &error) {
                return QStringLiteral("FAIL: the saved set is refused: %1 %2").arg(error.number).arg(error.description);
            }
            return QStringLiteral("UpdateRecordset: written, reloaded, saved and loaded");
        }
        return QStringLiteral("UpdateRecordset: written and reloaded");
    }

    // Every requirement row, field by field.
    QList<QVariantList> writtenRows() const
    {
        QList<QVariantList> rows;
        Recordset all = m_editor->rsConstraints().clone();
        for (all.moveFirst(); !all.eof(); all.moveNext()) {
            QVariantList fields;
            for (int i = 0; i < all.fieldCount(); ++i)
                fields << all.value(i);
            rows << fields;
        }
        return rows;
    }

    static QString rowText(const QVariantList &row)
    {
        QStringList fields;
        for (const QVariant &value : row)
            fields << (value.isNull() ? QStringLiteral("NULL") : QLatin1Char('"') + value.toString().left(80) + QLatin1Char('"'));
        return fields.join(QLatin1Char(' '));
    }

    // The first text value of the rows longer than its field's defined size.
    QString valueTooLong() const
    {
        Recordset all = m_editor->rsConstraints().clone();
        for (all.moveFirst(); !all.eof(); all.moveNext()) {
            for (int i = 0; i < all.fieldCount(); ++i) {
                const Field &field = all.field(i);
                const QVariant value = all.value(i);
                if (field.definedSize > 0 && value.typeId() == QMetaType::QString
                    && value.toString().size() > field.definedSize)
                    return QStringLiteral("ocID %1 %2 holds %3 characters of %4")
                        .arg(all.value(u"ocID").toInt())
                        .arg(field.name)
                        .arg(value.toString().size())
                        .arg(field.definedSize);
            }
        }
        return {};
    }

    static QString firstChange(const QList<QVariantList> &before, const QList<QVariantList> &after)
    {
        if (before.size() != after.size())
            return QStringLiteral("%1 rows became %2").arg(before.size()).arg(after.size());
        for (int i = 0; i < before.size(); ++i) {
            if (before.at(i) != after.at(i))
                return QStringLiteral("\n    %1\n -> %2").arg(rowText(before.at(i)), rowText(after.at(i)));
        }
        return {};
    }

    // The sample department with a generated programme of three curricula.
    bool freshDatabase()
    {
        if (!m_server.reset(QStringLiteral("sqlite")))
            return false;
        LargeVolume sizes;
        sizes.students = 40;
        sizes.courses = 200;
        sizes.requirements = 104; // eight of each of the thirteen types per curriculum
        sizes.curricula = 3;
        sizes.curriculumSets = 3;
        GenerateLargeVolume(*Database::open(QString()), sizes);
        return true;
    }

    QString loadSavedSet()
    {
        // Saved deletions thin the set out; then the database starts again.
        const bool renewed = list()->count() < 60 && m_updates > 0 && freshDatabase();
        auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), QString());
        m_loaded = constraints->LoadObjectConstraints(ProgrammeKind, LargeVolumeKeys::programme);
        m_editor->setRsConstraints(m_loaded);
        m_good.clear();
        m_types.clear();
        rememberGoodValues();
        return QStringLiteral("loaded the saved set%1: %2 requirements")
            .arg(renewed ? QStringLiteral(" of a new database") : QString())
            .arg(list()->count());
    }

    QString step()
    {
        // Deleting outpaces adding what passes; a host discards a thinned set and loads the saved one.
        if (list()->count() < 40)
            return loadSavedSet();
        const int roll = bounded(100);
        if (roll < 55)
            return editRow();
        if (roll < 64)
            return addRequirement();
        if (roll < 68)
            return deleteRequirement();
        if (roll < 75)
            return switchCurriculum();
        if (roll < 79)
            return cancelWizard();
        if (roll < 88)
            return validate();
        if (roll < 95)
            return update();
        return mendAndWrite();
    }

    // --- the invariants ----------------------------------------------------------

    // The rows of the current curriculum, read from the recordset without its filter.
    QList<int> currentRows() const
    {
        QList<int> ids;
        const QString curriculum = QString::number(m_editor->currentCurriculum());
        Recordset rows = m_editor->rsConstraints().clone();
        for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
            if (rows.value(u"contypeID").toInt() == Degree && rows.value(u"conobject").toInt() == ProgrammeKind
                && rows.value(u"objID").toInt() == LargeVolumeKeys::programme
                && rows.value(u"secobjID").toString() == curriculum)
                ids << rows.value(u"ocID").toInt();
        }
        return ids;
    }

    QString brokenInvariant() const
    {
        QList<int> listed;
        for (const QString &group : list()->keys())
            listed << OcIdFromKey(group);
        QList<int> rows = currentRows();
        std::sort(listed.begin(), listed.end());
        std::sort(rows.begin(), rows.end());
        if (std::adjacent_find(listed.cbegin(), listed.cend()) != listed.cend())
            return QStringLiteral("a requirement is listed twice");
        if (listed != rows) {
            QList<int> onlyListed, onlyRows;
            std::set_difference(listed.cbegin(), listed.cend(), rows.cbegin(), rows.cend(),
                                std::back_inserter(onlyListed));
            std::set_difference(rows.cbegin(), rows.cend(), listed.cbegin(), listed.cend(),
                                std::back_inserter(onlyRows));
            return QStringLiteral("the list shows %1 requirements, the curriculum has %2; only listed: %3; only rows: %4")
                .arg(listed.size())
                .arg(rows.size())
                .arg(toText(onlyListed), toText(onlyRows));
        }
        if (chooser()->currentData().toInt() != m_editor->currentCurriculum())
            return QStringLiteral("the chooser shows curriculum %1, the editor works on %2")
                .arg(chooser()->currentData().toInt())
                .arg(m_editor->currentCurriculum());
        if (QApplication::activeModalWidget())
            return QStringLiteral("a dialog stayed open");
        return {};
    }

    static QString toText(const QList<int> &ids)
    {
        QStringList parts;
        for (int id : ids.mid(0, 10))
            parts << QString::number(id);
        return parts.join(QLatin1Char(','));
    }

    QString failure(int stepNumber, quint32 seed, const QString &what) const
    {
        return QStringLiteral("step %1 of seed %2 (ZR_ABUSE_SEED=%2 ZR_ABUSE_STEPS=%3 replays it): %4\nlast steps:\n  %5")
            .arg(stepNumber)
            .arg(seed)
            .arg(stepNumber + 1)
            .arg(what, m_trail.join(QStringLiteral("\n  ")));
    }

private Q_SLOTS:
    void initTestCase()
    {
        StringService::instance().setLanguageId(LangGreek);
        QVERIFY(freshDatabase());
        m_hostile = zr::test::hostileValues();
        m_hostile << QString() << QStringLiteral(" ") << QString(5000, QLatin1Char('9')) << QString(3000, u'Ω')
                  << QStringLiteral("1,,2") << QStringLiteral(";;") << QStringLiteral(",") << QStringLiteral("-1")
                  << QStringLiteral("-0,5") << QStringLiteral("-2015") << QStringLiteral("abc")
                  << QStringLiteral("Ελληνικά") << QStringLiteral("\"quoted\"") << QStringLiteral("0")
                  << QStringLiteral("00") << QStringLiteral("1.5") << QStringLiteral("1,5,") << QStringLiteral(",1")
                  << QStringLiteral("2015-") << QStringLiteral("-1-") << QStringLiteral("2015-1,,2016")
                  << QStringLiteral("2015-ΧΕΙΜ") << QStringLiteral("99999999999999999999")
                  << QStringLiteral("2147483648") << QStringLiteral("1;2;") << QStringLiteral("[%1]")
                  << QStringLiteral("\n") << QStringLiteral("31/02/2020") << QStringLiteral("NaN");
        // Values that pass the rules of a number or a list, but are longer than any field.
        m_hostile << QString(256, QLatin1Char('1')) << QStringLiteral("0,") + QString(300, QLatin1Char('5'))
                  << QStringLiteral("1,").repeated(200) + QStringLiteral("1")
                  << QStringLiteral("2015-1,").repeated(60) + QStringLiteral("2016");
        connect(&m_closer, &QTimer::timeout, this, &tst_EditorAbuse::closeModal);
        m_closer.start(0);
    }

    void cleanupTestCase()
    {
        m_closer.stop();
        m_editor.reset();
        m_loaded = Recordset();
    }

    void randomOperationsKeepTheListAndTheRowsInStep()
    {
        const quint32 seed = envNumber("ZR_ABUSE_SEED", 20260611);
        const int steps = int(envNumber("ZR_ABUSE_STEPS", 10000));
        const bool trace = qEnvironmentVariableIsSet("ZR_ABUSE_TRACE");
        qInfo("seed %u, %d steps (ZR_ABUSE_SEED, ZR_ABUSE_STEPS; ZR_ABUSE_TRACE prints each)", seed, steps);
        m_random.seed(seed);

        m_editor = std::make_unique<zrRequirements>();
        m_editor->setServerName(QString());
        m_editor->setConstrType(Degree);
        m_editor->setAppliesTo(ProgrammeKind);
        m_editor->setDepartID(LargeVolumeKeys::department());
        m_editor->setOSchema(std::make_shared<const JsonSchema>());
        m_editor->setCurrentCurriculum(LargeVolumeKeys::curriculum);
        loadSavedSet();
        QVERIFY(chooser()->count() >= 3);
        QVERIFY(list()->count() > 0);
        QVERIFY2(brokenInvariant().isEmpty(), qPrintable(brokenInvariant()));

        QElapsedTimer clock;
        clock.start();
        int modals = 0;
        for (int n = 0; n < steps; ++n) {
            m_modals.clear();
            QString done;
            try {
                done = step();
            } catch (const ZrError &error) {
                done = QStringLiteral("FAIL: ZrError %1 escaped a user action: %2").arg(error.number).arg(error.description);
            } catch (const std::exception &error) {
                done = QStringLiteral("FAIL: exception escaped: ") + QString::fromLocal8Bit(error.what());
            } catch (...) {
                done = QStringLiteral("FAIL: unknown exception escaped");
            }
            if (!m_modals.isEmpty()) {
                modals += int(m_modals.size());
                done += QStringLiteral(" [shown: %1]").arg(m_modals.join(QStringLiteral(" | ")).left(160));
            }
            m_trail << QString::number(n) + QStringLiteral(": ") + done;
            if (trace)
                std::fprintf(stderr, "%s\n", qPrintable(m_trail.last()));
            if (m_trail.size() > 12)
                m_trail.removeFirst();
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(failure(n, seed, QStringLiteral("see above"))));
            if (done.contains(QLatin1String("FAIL: ")))
                QFAIL(qPrintable(failure(n, seed, done)));
            const QString broken = brokenInvariant();
            if (!broken.isEmpty())
                QFAIL(qPrintable(failure(n, seed, broken)));
        }
        qInfo("%d steps in %lld ms: %d sets written, %d dialogs answered, %d requirements listed at the end",
              steps, clock.elapsed(), m_updates, modals, list()->count());
        // A run this long that never writes a set has not tested writing.
        if (steps >= 1000)
            QVERIFY(m_updates > 0);
    }
};

QTEST_MAIN(tst_EditorAbuse)
#include "tst_editorabuse.moc"
