// The hidden files an output is written to before it is renamed into place:
// their names (unpredictable, and recognisable as this program's), the list
// of those not yet renamed, and their removal when the program is stopped by
// SIGINT or SIGTERM.
#pragma once

#include <string>
#include <string_view>

namespace files {

/// A new hidden name for a file being written in place of `name` (a name
/// without a folder): "." + `name` (cut to 200 bytes) + "." + 16 random hex
/// digits + ".leaky-tmp".
std::string temporary_name(std::string_view name);

/// Whether `name` (without a folder) is one of this program's hidden files
/// being written: a temporary_name, or one that the program's earlier
/// versions used (".NAME.partial-PID-N.ext" with a GeoPackage's journals,
/// ".NAME.PID-N-M.tmp").
bool is_temporary_name(std::string_view name);

/// Notes that the file `name`, relative to the folder `folder_fd` (AT_FDCWD
/// for a path), is being written, so that a stop by signal removes it; the
/// slot to pass to forget_temporary, or -1 when every slot is taken (the file
/// is then left by such a stop).
int note_temporary(int folder_fd, const std::string& name);

/// The temporary of `slot` is renamed or removed: a stop leaves it alone.
void forget_temporary(int slot);

/// From now on SIGINT and SIGTERM remove the noted temporaries, write one line
/// on standard error ("leaky-drawdown: stopped by SIGINT; unfinished output
/// files removed") and end the program with status 128 + the signal's number.
void remove_temporaries_on_signals();

}  // namespace files
