#include "../datafile.h"
#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "database.h"
#include "hostilevalues.h"
#include "itempanel/itempanelmodel.h"
#include "jsonschema.h"
#include "largevolume.h"
#include "reqtypes/requirementkeys.h"
#include "requirements/requirementseditor.h"
#include "serverfixture.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <exception>

using namespace zr;
using namespace zr::server;

// The editor under a long run of random edits on a generated degree set of
// three curricula: after every step the list shows exactly the rows of the
// curriculum shown, nothing but ZrError escapes, and a set once written is
// written again unchanged, loads again and passes again, with every value
// fitting its field. ZR_ABUSE_SEED and ZR_ABUSE_STEPS replay a run.
class tst_EditorAbuse : public QObject
{
    Q_OBJECT
    zr::test::ServerFixture m_server;
    QRandomGenerator m_random;
    std::unique_ptr<RequirementsEditor> m_editor;
    Recordset m_loaded;
    QStringList m_typed;                    // hostile and rule-breaking values
    QHash<QString, QStringList> m_samples;  // values of each type's row seen in a set that passed
    QHash<QString, QVariant> m_good;        // each row's value when the set last passed
    QStringList m_trail;                    // the last steps, for the failure message
    int m_writes = 0;

    static constexpr int Degree = 103;
    static constexpr int ProgrammeKind = 1;

    ItemPanelModel *list() const { return m_editor->list(); }
    int bounded(int n) { return n <= 0 ? 0 : int(m_random.bounded(n)); }
    template<typename T>
    const T &pick(const QList<T> &items) { return items.at(bounded(int(items.size()))); }
    QString sampleKey(const QString &key) const
    {
        return QString::number(m_editor->typeOf(OcIdFromKey(key))) + QLatin1Char('|') + FieldFromKey(key);
    }

    void rememberGoodValues()
    {
        m_good.clear();
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

    QString load()
    {
        auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), QString());
        m_loaded = constraints->LoadObjectConstraints(ProgrammeKind, LargeVolumeKeys::programme);
        m_editor->load(m_loaded);
        rememberGoodValues();
        return QStringLiteral("loaded the saved set: %1 requirements").arg(list()->count());
    }

    // A row a user can type into or choose from, and a value for it: a choice,
    // a hostile value, a value of another requirement of its type, or its good one.
    QString editRow()
    {
        const QStringList groups = list()->keys();
        if (groups.isEmpty())
            return QStringLiteral("edit: empty list");
        QStringList rows;
        for (const QString &key : list()->keys(pick(groups))) {
            const ItemPanelModel::Kind kind = list()->kind(key);
            if (list()->isVisible(key) && list()->isItemEnabled(key)
                && (kind == ItemPanelModel::Kind::Entry || kind == ItemPanelModel::Kind::Number
                    || kind == ItemPanelModel::Kind::ChoiceRow))
                rows << key;
        }
        if (rows.isEmpty())
            return QStringLiteral("edit: no editable row");
        const QString key = pick(rows);
        QVariant value = m_good.value(key, list()->value(key));
        const QStringList choices = list()->kind(key) == ItemPanelModel::Kind::ChoiceRow ? list()->keys(key) : QStringList();
        const QStringList samples = m_samples.value(sampleKey(key));
        if (!choices.isEmpty() && bounded(5) != 0)
            value = pick(choices);
        else if (bounded(3) == 0)
            value = pick(m_typed);
        else if (bounded(2) == 0 && !samples.isEmpty())
            value = pick(samples);
        const bool stored = list()->requestEdit(key) && list()->editValue(key, value);
        if (stored)
            m_editor->valueChanged(key);
        return QStringLiteral("edit %1 = \"%2\"%3").arg(key, value.toString().left(60), stored ? QString() : QStringLiteral(" (refused)"));
    }

    QString write()
    {
        m_editor->writeBack(); // a refusal is the user's to mend
        ++m_writes;
        if (m_editor->set().isModified())
            return QStringLiteral("FAIL: modified after writing");
        const QList<QVariantList> written = rows();
        try {
            m_editor->writeBack();
            if (rows() != written)
                return QStringLiteral("FAIL: writing again changed the rows");
            m_editor->load(m_loaded);
            m_editor->validate();
            m_editor->writeBack();
        } catch (const ZrError &error) {
            return QStringLiteral("FAIL: the written set is refused: %1 %2").arg(error.number).arg(error.description);
        }
        if (rows() != written)
            return QStringLiteral("FAIL: the reloaded set was written otherwise");
        if (const QString overflow = valueTooLong(); !overflow.isEmpty())
            return QStringLiteral("FAIL: a written value does not fit its field: ") + overflow;
        rememberGoodValues();
        return QStringLiteral("written, reloaded and written again");
    }

    QString step()
    {
        // Deleting outpaces adding what passes: a thinned set gives way to the saved one.
        if (list()->count() < 40)
            return load();
        const int roll = bounded(100);
        if (roll < 60)
            return editRow();
        if (roll < 68) {
            const QList<int> types{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130};
            return QStringLiteral("added %1").arg(m_editor->addRequirement(pick(types)));
        }
        if (roll < 72) {
            const qint32 ocID = OcIdFromKey(pick(list()->keys()));
            return QStringLiteral("deleted %1: %2").arg(ocID).arg(m_editor->deleteRequirement(ocID));
        }
        if (roll < 80) {
            const CurriculumEntry &curriculum = pick(m_editor->curricula());
            m_editor->chooseCurriculum(curriculum.id);
            return QStringLiteral("curriculum %1").arg(curriculum.id);
        }
        if (roll < 88) {
            m_editor->validate();
            return QStringLiteral("validated");
        }
        if (roll < 96)
            return write();
        // The user gives up on the edits and writes the set as saved.
        load();
        return write();
    }

    // Every requirement row, field by field.
    QList<QVariantList> rows() const
    {
        QList<QVariantList> all;
        Recordset rs = m_editor->set().rows().clone();
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            QVariantList fields;
            for (int i = 0; i < rs.fieldCount(); ++i)
                fields << rs.value(i);
            all << fields;
        }
        return all;
    }

    QString valueTooLong() const
    {
        Recordset rs = m_editor->set().rows().clone();
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            for (int i = 0; i < rs.fieldCount(); ++i) {
                const int size = rs.field(i).definedSize;
                if (size > 0 && rs.value(i).typeId() == QMetaType::QString && rs.value(i).toString().size() > size)
                    return QStringLiteral("ocID %1 %2").arg(rs.value(u"ocID").toInt()).arg(rs.field(i).name);
            }
        }
        return {};
    }

    QString brokenInvariant() const
    {
        QList<int> listed;
        for (const QString &group : list()->keys())
            listed << OcIdFromKey(group);
        QList<int> current;
        const QString curriculum = QString::number(m_editor->set().curriculumId());
        Recordset rs = m_editor->set().rows().clone();
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            if (rs.value(u"contypeID").toInt() == Degree && rs.value(u"conobject").toInt() == ProgrammeKind
                && rs.value(u"objID").toInt() == LargeVolumeKeys::programme && rs.value(u"secobjID").toString() == curriculum)
                current << rs.value(u"ocID").toInt();
        }
        std::sort(listed.begin(), listed.end());
        std::sort(current.begin(), current.end());
        if (listed != current)
            return QStringLiteral("the list shows %1 requirements, the curriculum has %2").arg(listed.size()).arg(current.size());
        return {};
    }

private Q_SLOTS:
    void initTestCase()
    {
        StringService::instance().setLanguageId(LangGreek);
        QVERIFY(m_server.reset(QStringLiteral("sqlite")));
        LargeVolume sizes;
        sizes.students = 40;
        sizes.courses = 200;
        sizes.requirements = 104; // eight of each of the thirteen types per curriculum
        sizes.curricula = 3;
        sizes.curriculumSets = 3;
        GenerateLargeVolume(*Database::open(QString()), sizes);
        m_typed = zr::test::hostileValues();
        for (const QStringList &row : zr::test::dataRows(QFINDTESTDATA("data/abusevalues.txt")))
            m_typed << row.first();
        m_typed << QString() << QStringLiteral(" ");
    }

    void randomEditsKeepTheListAndTheRowsInStep()
    {
        const quint32 seed = qEnvironmentVariableIntValue("ZR_ABUSE_SEED") ? qEnvironmentVariableIntValue("ZR_ABUSE_SEED") : 20260611;
        const int steps = qEnvironmentVariableIntValue("ZR_ABUSE_STEPS") ? qEnvironmentVariableIntValue("ZR_ABUSE_STEPS") : 10000;
        m_random.seed(seed);
        m_editor = std::make_unique<RequirementsEditor>();
        m_editor->setServerName(QString());
        m_editor->set().setContext(Degree);
        m_editor->set().setObjectKind(ProgrammeKind);
        m_editor->setDepartmentId(LargeVolumeKeys::department());
        m_editor->setSchema(std::make_shared<const JsonSchema>());
        m_editor->setCurriculum(LargeVolumeKeys::curriculum);
        load();
        QVERIFY(m_editor->curricula().size() >= 3);

        for (int n = 0; n < steps; ++n) {
            QString done;
            try {
                done = step();
            } catch (const ZrError &error) {
                done = QStringLiteral("refused: %1").arg(error.number);
            } catch (const std::exception &error) {
                done = QStringLiteral("FAIL: exception escaped: ") + QString::fromLocal8Bit(error.what());
            }
            m_trail << QString::number(n) + QStringLiteral(": ") + done;
            if (m_trail.size() > 12)
                m_trail.removeFirst();
            const QString broken = done.startsWith(QLatin1String("FAIL: ")) ? done : brokenInvariant();
            if (!broken.isEmpty())
                QFAIL(qPrintable(QStringLiteral("step %1 of seed %2 (ZR_ABUSE_SEED=%2 ZR_ABUSE_STEPS=%3 replays it): %4\n  %5")
                                     .arg(n).arg(seed).arg(n + 1).arg(broken, m_trail.join(QStringLiteral("\n  ")))));
        }
        // A run this long that never writes a set has not tested writing.
        if (steps >= 1000)
            QVERIFY(m_writes > 0);
    }
};

QTEST_GUILESS_MAIN(tst_EditorAbuse)
#include "tst_editorabuse.moc"
