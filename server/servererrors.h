#pragma once

namespace zr::server {

/// Error numbers of the reference server (the library's own are below 31000).
enum ServerError {
    ErrFilterRefused = 31001,   ///< a filter that is not a plain condition on the table's columns
    ErrUnknownTable = 31002,    ///< a table or view the server does not serve
    ErrUnknownColumn = 31003,   ///< an order or key naming no column of the table
    ErrBadArgument = 31004,     ///< an argument of the wrong kind (missing id, bad mode)
    ErrDatabase = 31010,        ///< the database refused a statement
    ErrSaveFailed = 31011,      ///< a save was rolled back
    ErrNotFound = 31012,        ///< the object a call names does not exist
    ErrDatabaseBusy = 31013,    ///< another program kept the database locked past the wait
    ErrAuthentication = 31014,  ///< the server refused the user name or the password
    ErrNoSuchDatabase = 31015,  ///< the server has no database of the name given
    ErrNotADatabase = 31016,    ///< the file is not a database, or is a folder
    ErrNoRequirementTables = 31017, ///< an existing database without the requirement tables
    ErrSetChanged = 31018,      ///< a save over a set that someone saved after it was loaded (ErrStoredSetChanged)
    ErrRowRefused = 31019,      ///< a requirement row the server will not store
    ErrSchemaOutdated = 31020,  ///< a database an earlier version made: zrreq upgrade-db brings it up to date
    ErrHoldsData = 31021,       ///< init-db over a database that holds data, without --force
    ErrPermissionDenied = 31022, ///< the database user may not read or change what was asked
    ErrDataFileRefused = 31023, ///< a data file that cannot be read (an unclosed quote, text after one)
    ErrBeforeFirst = 64002,     ///< a moment before the first kept version of a set
    ErrNeverSaved = 64003,      ///< a set never saved since versions are kept
};

} // namespace zr::server
