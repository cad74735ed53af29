#include "recordset/recordsetfield.h"

namespace zr {

bool Field::isText() const
{
    switch (type) {
    case adBSTR: case adGUID: case adChar: case adWChar:
    case adVarChar: case adLongVarChar: case adVarWChar: case adLongVarWChar:
        return true;
    default:
        return false;
    }
}

bool Field::isInteger() const
{
    switch (type) {
    case adSmallInt: case adInteger: case adTinyInt: case adUnsignedTinyInt:
    case adUnsignedSmallInt: case adUnsignedInt: case adBigInt:
        return true;
    default:
        return false;
    }
}

bool Field::isNumeric() const
{
    switch (type) {
    case adSingle: case adDouble: case adCurrency: case adDecimal: case adNumeric:
        return true;
    default:
        return isInteger();
    }
}

bool Field::isDate() const
{
    return type == adDate || type == adDBDate || type == adDBTime || type == adDBTimeStamp;
}

Field makeField(const QString &name, int type, int definedSize, int attributes, int precision)
{
    Field f;
    f.name = name;
    f.type = type;
    f.definedSize = definedSize;
    f.attributes = attributes;
    f.precision = precision;
    return f;
}

} // namespace zr
