#pragma once

// A described table with one column of every field type, shared by the
// targets that write or read filter text.

#include "common/schema.h"

namespace zr::fuzz {

struct ColumnSpec
{
    const char *name;
    SqlType sqlType;
    int fieldType;
};

inline const ColumnSpec columnSpecs[] = {
    {"c_text", SqlType::Text, FieldText},         {"c_list", SqlType::Integer, FieldList},
    {"c_listtext", SqlType::Text, FieldListText}, {"c_int", SqlType::Integer, FieldInteger},
    {"c_yesno", SqlType::Integer, FieldYesNo},    {"c_date", SqlType::Date, FieldDate},
    {"c_decimal", SqlType::Real, FieldDecimal},   {"c_currency", SqlType::Real, FieldCurrency},
    {"c_time", SqlType::Text, FieldTime},         {"c_stamp", SqlType::Timestamp, FieldDateTime},
    {"c_codes", SqlType::Text, FieldCodeList},    {"c_memo", SqlType::Text, FieldMemo},
    {"c_bits", SqlType::Integer, FieldBitMask},
};
constexpr int columnSpecCount = int(sizeof(columnSpecs) / sizeof(columnSpecs[0]));

inline SchemaTable everyTypeTable()
{
    SchemaTable table;
    table.name = QStringLiteral("FuzzTable");
    for (const ColumnSpec &spec : columnSpecs) {
        SchemaColumn column;
        column.name = QString::fromLatin1(spec.name);
        column.sqlType = spec.sqlType;
        column.type = spec.fieldType;
        table.columns.append(column);
    }
    return table;
}

} // namespace zr::fuzz
