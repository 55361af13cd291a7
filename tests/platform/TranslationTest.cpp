#include "platform/Translation.h"

#include "platform/console/ConsoleTranslation.h"

#include <gtest/gtest.h>

namespace ryk {
namespace {

TEST(TranslationTest, FormatsAreFilledInWhereverTheTranslationPutsTheValues) {
    const struct {
        const char* format;
        const char* expected;
    } cases[] = {
        {"%1 / %2", "a / b"},
        {"%2 before %1", "b before a"},
        {"%1%  100%", "a%  100%"},
        {"%3 stays, %%1", "%3 stays, %a"},
        {"%", "%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(fillIn(c.format, {"a", "b"}), c.expected);
    }
}

TEST(TranslationTest, TheConsoleTableAnswersOnlyForEnglishAndKnownTexts) {
    const Translation& english = consoleTranslation(Language::English);
    EXPECT_EQ(english.translate("TransferMode", "同期モード"), "Sync mode");
    // The same text in another context, and a text nobody translated, stay as written.
    EXPECT_EQ(english.translate("ListText", "同期モード"), "同期モード");
    EXPECT_EQ(english.translate("TransferMode", "新しいモード"), "新しいモード");
    EXPECT_EQ(consoleTranslation(Language::Japanese).translate("TransferMode", "同期モード"),
              "同期モード");
}

} // namespace
} // namespace ryk
