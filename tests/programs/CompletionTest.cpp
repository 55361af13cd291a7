#include "app/CommandLine.h"
#include "support/TempDir.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace ryk {
namespace {

using test::TempDir;

std::string completionScript() {
    std::ifstream file(RYK_COMPLETION_SCRIPT);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(CompletionTest, ScriptOffersEveryOptionTheUsageNames) {
    // Every line of the usage that begins with an option names one ("-w<wild card>": -w).
    std::vector<std::string> options;
    std::istringstream usage(terminalUsageText());
    for (std::string line; std::getline(usage, line);) {
        const size_t start = line.find_first_not_of(' ');
        if (start == 0 || start == std::string::npos || line[start] != '-')
            continue;
        const size_t end = line.find_first_of(" <", start);
        options.push_back(line.substr(start, end - start));
    }
    ASSERT_GT(options.size(), 20u);
    options.push_back("--");
    // The words the script offers: its one word list.
    const std::string script = completionScript();
    const size_t start = script.find("compgen -W '");
    ASSERT_NE(start, std::string::npos);
    const size_t open = start + 12;
    std::istringstream list(script.substr(open, script.find('\'', open) - open));
    std::set<std::string> offered;
    for (std::string word; list >> word;)
        offered.insert(word);
    for (const std::string& option : options)
        EXPECT_TRUE(offered.count(option)) << option;
}

TEST(CompletionTest, BashCompletesOptionsAndPathsAsItSplitsTheLine) {
    if (access("/bin/bash", X_OK) != 0)
        GTEST_SKIP() << "no bash to try the script in";
    TempDir temp;
    temp.writeFile("-data");
    temp.writeFile("src/a.txt");
    // COMP_WORDS as bash gives them: it breaks words at '=' and '@' too.
    const struct {
        std::string line;
        std::string words;
        std::string replies;
    } cases[] = {
        {"ryk-cli --ru", "ryk-cli --ru", "[--run]"},
        {"ryk-cli -e", "ryk-cli -e", "[-e][-e0]"},
        // Readline replaces only what follows the '=': nothing is left to add.
        {"ryk-cli -r -=", "ryk-cli -r - =", "[]"},
        {"ryk-cli -@", "ryk-cli - @", "[]"},
        {"ryk-cli --hard", "ryk-cli --hard", "[--hard-links]"},
        {"ryk-cli -r s", "ryk-cli -r s", "[src]"},
        {"ryk-cli -r src/", "ryk-cli -r src/", "[src/a.txt]"},
        {"ryk-cli -- -d", "ryk-cli -- -d", "[-data]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string command =
            "cd '" + temp.path() + "' && bash --norc --noprofile -c 'source " +
            RYK_COMPLETION_SCRIPT + "; complete -p ryk-cli >/dev/null || exit 1; COMP_LINE=\"" +
            c.line + "\"; COMP_POINT=${#COMP_LINE}; COMP_WORDS=(" + c.words +
            "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _ryk_cli; printf \"[%s]\" "
            "\"${COMPREPLY[@]}\"'";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        char buffer[256];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        EXPECT_EQ(pclose(pipe), 0);
        EXPECT_EQ(out, c.replies);
    }
}

} // namespace
} // namespace ryk
