#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace ryk {

/// A text as the source writes it, in Japanese, with the context that tells its uses apart.
struct SourceText {
    const char* context;
    const char* text;
};

/// Marks a text for translation where it is defined; the translation tools find it by this name.
constexpr SourceText translatable(const char* context, const char* text) {
    return {context, text};
}

/// Turns the program's texts into the user's language. This base translates nothing: the
/// Japanese source texts are the program's own.
class Translation {
public:
    virtual ~Translation() = default;
    /// `text` of `context` in the user's language; `text` itself where it has no translation.
    virtual std::string translate(const char* /*context*/, const char* text) const { return text; }
    std::string operator()(SourceText source) const {
        return translate(source.context, source.text);
    }
};

/// The texts as written, for whoever is given no translation.
inline const Translation kUntranslated{};

/// `format` with %1 ... %9 replaced by `values` in order. A format is translated before it is
/// filled in, since a translation may put the values elsewhere.
std::string fillIn(std::string_view format, std::initializer_list<std::string_view> values);

enum class Language { Japanese, English };

/// The language the locale variables ask for, by the C library's order for messages: LC_ALL,
/// else LC_MESSAGES, else LANG (the first one set and not empty). English when it starts with
/// "en"; Japanese, the source language, for everything else (C, POSIX, unset, ja_JP ...).
Language userLanguage(std::string_view lcAll, std::string_view lcMessages, std::string_view lang);
/// `userLanguage` of this process's environment.
Language userLanguage();

} // namespace ryk
