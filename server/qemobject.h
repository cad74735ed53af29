#pragma once

#include "database.h"

#include <memory>

namespace zr::server {

/// What every server object of the reference server holds: its database.
struct QemObject
{
    explicit QemObject(std::shared_ptr<Database> db) : m_db(std::move(db)) {}
    std::shared_ptr<Database> m_db;
};

} // namespace zr::server
