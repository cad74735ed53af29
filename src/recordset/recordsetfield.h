#pragma once

#include "zrreq_export.h"

#include <QString>

namespace zr {

/// Data type codes of a recordset field; the numbers are the ADO codes that
/// the host's data and the server objects use.
enum DataType : int {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adBoolean = 11,
    adVariant = 12,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18,
    adUnsignedInt = 19,
    adBigInt = 20,
    adGUID = 72,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adDBDate = 133,
    adDBTime = 134,
    adDBTimeStamp = 135,
    adChapter = 136,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
};

/// Attribute bits of a recordset field (ADO codes).
enum FieldAttribute : int {
    adFldUpdatable = 0x4,
    adFldFixed = 0x10,
    adFldIsNullable = 0x20,
    adFldMayBeNull = 0x40,
    adFldKeyColumn = 0x8000,
};

/// One column of a recordset: name, ADO type code, defined size, attribute
/// bits and precision. Names are matched without regard to case.
struct ZRREQ_EXPORT Field
{
    /// Column name as given; look-ups ignore case.
    QString name;
    /// ADO type code (DataType); adVarWChar by default.
    int type = adVarWChar;
    /// Defined size (characters for texts, bytes otherwise); 0 when unknown.
    int definedSize = 0;
    /// FieldAttribute bits; nullable and may-be-null (96) by default.
    int attributes = adFldIsNullable | adFldMayBeNull;
    /// Precision of numeric columns; 0 when not given.
    int precision = 0;
    /// Number of decimals of numeric columns; 0 when not given.
    int numericScale = 0;

    /// True for a chapter column, whose value is a child recordset.
    bool isChapter() const { return type == adChapter; }
    /// True for the text types (char, wide char, var char, long texts, BSTR, GUID).
    bool isText() const;
    /// True for the integer, floating, currency, decimal and numeric types.
    bool isNumeric() const;
    /// True for the date, date-only, time-only and timestamp types.
    bool isDate() const;
    /// True for the integer types (tiny, small, integer, big, signed or not).
    bool isInteger() const;
};

/// Makes a field description in one expression.
ZRREQ_EXPORT Field makeField(const QString &name, int type, int definedSize = 0,
                             int attributes = adFldIsNullable | adFldMayBeNull,
                             int precision = 0);

} // namespace zr
