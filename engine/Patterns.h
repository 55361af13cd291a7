#pragma once

#include <string>
#include <string_view>

namespace ryk {

class FileSystem;

/// A ';'-separated list of wildcard items ("*.c;*.h"); empty items are skipped.
using PatternList = std::string;

/// True when the bare file name `name` matches at least one item of `patterns`.
bool matchesPatternList(std::string_view patterns, std::string_view name);
/// Forms a destination file name from a destination pattern ("*.bak") and a source name.
std::string makeDestinationName(std::string_view pattern, std::string_view name);
/// True for a destination pattern that gives every name back unchanged ("" and "*.*").
bool keepsNames(std::string_view pattern);
/// Appends `name` to `base`, with one '/' between; an empty base stays empty.
void joinPath(std::string& base, std::string_view name);
/// `directory` with the '/' that joins a name to it (an empty directory stays empty), made to
/// measure: a plan keeps one per directory.
std::string directoryPrefix(std::string_view directory);
/// The directory that holds the last component of `path` (trailing '/' ignored): "a/b/" gives
/// "a", "a" gives ".", "/a" gives "/"; "." and "/" are their own parents.
std::string parentPath(std::string_view path);
/// `path` without its trailing '/' ("/" stays).
std::string_view withoutTrailingSlashes(std::string_view path);
/// Splits a path argument into a directory (with its trailing '/') and a name pattern.
/// An argument naming an existing directory is the whole directory with no pattern.
bool SplitPathArgument(FileSystem& fileSystem, std::string_view argument, std::string& directory,
                       std::string& pattern);

} // namespace ryk
