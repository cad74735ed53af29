#include "setedit.h"

#include <utility>

namespace zr {

SetEdit SetEdit::inverse() const
{
    SetEdit undo = *this;
    std::swap(undo.before, undo.after);
    std::swap(undo.expressionBefore, undo.expressionAfter);
    switch (kind) {
    case Kind::Add:
        undo.kind = Kind::Delete;
        break;
    case Kind::Delete:
        undo.kind = Kind::Add;
        break;
    case Kind::Curriculum:
        undo.curriculum = curriculumAfter;
        undo.curriculumAfter = curriculum;
        break;
    case Kind::Value:
    case Kind::Expression:
        break;
    }
    return undo;
}

} // namespace zr
