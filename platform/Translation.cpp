#include "platform/Translation.h"

#include "platform/Environment.h"

namespace ryk {

std::string fillIn(std::string_view format, std::initializer_list<std::string_view> values) {
    std::string text;
    text.reserve(format.size() + 16);
    for (size_t i = 0; i < format.size(); ++i) {
        const char next = i + 1 < format.size() ? format[i + 1] : '\0';
        const size_t index = static_cast<size_t>(next - '1');
        if (format[i] == '%' && next >= '1' && next <= '9' && index < values.size()) {
            text += values.begin()[index];
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

Language userLanguage(std::string_view lcAll, std::string_view lcMessages, std::string_view lang) {
    const std::string_view chosen = !lcAll.empty()        ? lcAll
                                    : !lcMessages.empty() ? lcMessages
                                                          : lang;
    return chosen.starts_with("en") ? Language::English : Language::Japanese;
}

Language userLanguage() {
    return userLanguage(environmentValue("LC_ALL"), environmentValue("LC_MESSAGES"),
                        environmentValue("LANG"));
}

} // namespace ryk
