#pragma once

// A described table with one column of every field type, shared by the
// targets that write or read filter text.

#include "common/schema.h"

namespace zr::fuzz {

struct ColumnDef
{
    const char *name;
    SqlType sqlType;
    int fieldType;
};

inline const ColumnDef columnDefs[] = {
    {"c_text", SqlType::Text, FieldText},         {"c_list", SqlType::Integer, FieldList},
    {"c_listtext", SqlType::Text, FieldListText}, {"c_int", SqlType::Integer, FieldInteger},
    {"c_yesno", SqlType::Integer, FieldYesNo},    {"c_date", SqlType::Date, FieldDate},
    {"c_decimal", SqlType::Real, FieldDecimal},   {"c_currency", SqlType::Real, FieldCurrency},
    {"c_time", SqlType::Text, FieldTime},         {"c_stamp", SqlType::Timestamp, FieldDateTime},
    {"c_codes", SqlType::Text, FieldCodeList},    {"c_memo", SqlType::Text, FieldMemo},
    {"c_bits", SqlType::Integer, FieldBitMask},
};
constexpr int columnDefCount = int(sizeof(columnDefs) / sizeof(columnDefs[0]));

inline SchemaTable everyTypeTable()
{
    SchemaTable table;
    table.name = QStringLiteral("FuzzTable");
    for (const ColumnDef &def : columnDefs) {
        SchemaColumn column;
        column.name = QString::fromLatin1(def.name);
        column.sqlType = def.sqlType;
        column.type = def.fieldType;
        table.columns.append(column);
    }
    return table;
}

} // namespace zr::fuzz
