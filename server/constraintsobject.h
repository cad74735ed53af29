#pragma once

#include "qemobject.h"
#include "common/serverobjects.h"

namespace zr::server {

/// cContraints over the reference database.
class ConstraintsObject : public cContraints, private QemObject
{
public:
    explicit ConstraintsObject(std::shared_ptr<Database> db) : QemObject(std::move(db)) {}
    Recordset LoadConstraintsWithDescription(QVariant &conobject, QVariant &contypeID, QVariant &objID,
                                             QVariant &secobjID) override;
    Recordset LoadStudPtyxConstraints(const QString &sessionID, qint32 studentId, bool &individual,
                                      const QVariant &omitted, qint16 mode, qint64 *version = nullptr) override;
    Recordset DeleteStudPtyxConstraints(const QString &sessionID, qint32 studentId, bool reload,
                                        qint64 *version = nullptr) override;
    Recordset LoadObjectConstraints(qint32 conobject, const QVariant &objectId,
                                    const QVariant &secondaryId) override;
    void SaveConstraints(Recordset &constraints) override;
};

} // namespace zr::server
