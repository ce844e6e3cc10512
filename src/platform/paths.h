#pragma once

#include <string>
#include <string_view>

// Path and name helpers. The separator is the platform's '/'. The name of a path is what
// follows its last separator, its folder what precedes it. Names are single-byte
// Windows-1252 text; letter case is folded the way that code page folds it.
namespace vx {

inline constexpr char kPathSeparator = '/';

std::string NameOf(std::string_view path);
// The folder of a path without a trailing separator; empty for a bare name. The folder of
// "/x" is "/" so that it can still be joined and tested.
std::string FolderOf(std::string_view path);
// folder + separator + name, without doubling a separator already there.
std::string JoinPath(std::string_view folder, std::string_view name);

// Every occurrence of `from` in `text` replaced by `to`, letters compared without regard to
// case. Scanning goes on after each replacement, so a replacement is never replaced again.
std::string ReplaceAllNoCase(std::string_view text, std::string_view from, std::string_view to);

// The same replacement applied to the name of a path only; the folder stays as it is (a
// folder named "maps.mif" or "my-data" is never touched).
std::string ReplaceInName(std::string_view path, std::string_view from, std::string_view to);

// The name of an output path as the engine writes it: `oldExt` replaced by `newExt` and every
// "-" replaced by "_", in the name only.
std::string OutputName(std::string_view path, std::string_view oldExt, std::string_view newExt);

// The path of a companion file (the MID of a MIF, the DBF or SHX of a SHP, the VXS of a VXV):
// `path` with the extension of its name changed to `ext` (which starts with a dot). The
// spelling given is tried first; otherwise the folder is searched for a file whose name
// differs only in letter case. Empty when there is none.
std::string FindCompanion(std::string_view path, std::string_view ext);

// The path with the extension of its name (from the last dot of the name) replaced by `ext`;
// a name without a dot gets `ext` appended.
std::string WithExtension(std::string_view path, std::string_view ext);

// True when `name` is a plain file name: not empty, not "." or "..", no separator of either
// kind, no NUL. Only such names read from a file may be joined to a folder.
bool IsPlainFileName(std::string_view name);

}  // namespace vx
