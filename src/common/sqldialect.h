#pragma once

namespace zr {

/// The SQL dialect of the database behind a server. Everything that writes
/// SQL text (criteria builder, filter translation) takes one of these.
enum class SqlDialect { SQLite, PostgreSQL };

} // namespace zr
