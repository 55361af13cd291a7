#include "engine/Patterns.h"

#include "platform/FileSystem.h"
#include "platform/text/NameMatch.h"
#include "platform/text/Utf8.h"

namespace ryk {

namespace {

/// One part of a destination name: the pattern part with its wildcards filled from the name.
void appendDestinationPart(std::string& out, std::string_view pattern, std::string_view name) {
    size_t n = 0;
    size_t p = 0;
    while (p < pattern.size()) {
        if (pattern[p] == '*') {
            out += name.substr(n);
            return;
        }
        const size_t nameLength = n < name.size() ? characterLength(name, n) : 0;
        if (pattern[p] == '?') {
            if (nameLength == 0)
                return;
            out += name.substr(n, nameLength);
            ++p;
        } else {
            const size_t patternLength = characterLength(pattern, p);
            out += pattern.substr(p, patternLength);
            p += patternLength;
        }
        n += nameLength;
    }
}

} // namespace

bool matchesPatternList(std::string_view patterns, std::string_view name) {
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(';', start);
        if (end == std::string_view::npos)
            end = patterns.size();
        const std::string_view item = patterns.substr(start, end - start);
        if (!item.empty()) {
            if (matchesNamePattern(item, name))
                return true;
        }
        start = end + 1;
    }
    return false;
}

bool keepsNames(std::string_view pattern) {
    return pattern.empty() || pattern == "*.*";
}

std::string makeDestinationName(std::string_view pattern, std::string_view name) {
    if (keepsNames(pattern))
        return std::string(name);
    const NameParts patternParts = splitAtLastDot(pattern);
    const NameParts nameParts = splitAtLastDot(name);
    std::string result;
    appendDestinationPart(result, patternParts.base, nameParts.base);
    std::string extension;
    appendDestinationPart(extension, patternParts.extension, nameParts.extension);
    if (!extension.empty()) {
        result += '.';
        result += extension;
    } else if (!name.empty() && name.back() == '.' && patternParts.extension.starts_with('*')) {
        // Linux keeps a trailing dot in a name: "*.*" must give "foo." back, not "foo", which
        // would be another file.
        result += '.';
    }
    return result;
}

void joinPath(std::string& base, std::string_view name) {
    if (base.empty())
        return;
    if (!name.empty() && name.front() == '/')
        name.remove_prefix(1);
    if (base.back() != '/')
        base += '/';
    base += name;
}

std::string directoryPrefix(std::string_view directory) {
    std::string prefix;
    prefix.reserve(directory.size() + 1);
    prefix = directory;
    joinPath(prefix, {});
    return prefix;
}

std::string_view withoutTrailingSlashes(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

std::string parentPath(std::string_view path) {
    path = withoutTrailingSlashes(path);
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return std::string(1, '.');
    return slash == 0 ? std::string(1, '/') : std::string(path.substr(0, slash));
}

bool SplitPathArgument(FileSystem& fileSystem, std::string_view argument, std::string& directory,
                       std::string& pattern) {
    const size_t slash = argument.rfind('/');
    const std::string_view last =
        slash == std::string_view::npos ? argument : argument.substr(slash + 1);
    // A wildcard in the last component makes the argument a pattern, even where a search
    // would first yield a directory (the "." of "dir/*.*"). A link to a directory names that
    // directory, as it does everywhere else on the command line.
    if (!argument.empty() && !hasWildcard(last)) {
        FileStatus status;
        if (fileSystem.status(std::string(argument), status, LinkMode::Follow) == 0 &&
            (status.attributes & attr::kDirectory)) {
            directory.assign(argument);
            pattern.clear();
            return true;
        }
    }
    if (slash == std::string_view::npos) {
        directory.clear();
        pattern.assign(argument);
    } else {
        directory.assign(argument.substr(0, slash + 1));
        pattern.assign(last);
    }
    return true;
}

} // namespace ryk
