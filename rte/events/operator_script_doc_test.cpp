// The operator-script language is described once, in its manual page (rte/events/rte-script.7):
// every command the parser takes is listed there under COMMANDS, and every command listed there
// is one the parser takes.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "rte/events/operator_script.h"

namespace {

// The commands of the manual's COMMANDS section: the first word of the line after each ".TP".
std::set<std::string> DocumentedCommands() {
    std::ifstream page(RTE_SCRIPT_MANUAL);
    std::set<std::string> commands;
    std::string line;
    bool inCommands = false, entry = false;
    while (std::getline(page, line)) {
        if (line.rfind(".SH", 0) == 0) {
            inCommands = line == ".SH COMMANDS";
            continue;
        }
        if (!inCommands) continue;
        if (line == ".TP") {
            entry = true;
            continue;
        }
        if (!entry) continue;
        entry = false;
        std::istringstream words(line);
        std::string macro, first;
        words >> macro >> first;  // ".BI" "\"press" or ".B" "dump"
        if (!first.empty() && first[0] == '"') first.erase(0, 1);
        commands.insert(first);
    }
    return commands;
}

// The commands the parser names when it meets one it does not know: "(press, type, ...)".
std::set<std::string> ParsedCommands() {
    std::vector<rte::internal::ScriptLine> lines;
    std::string error;
    EXPECT_FALSE(rte::internal::ParseOperatorScript("no-such-command\n", "s", &lines, &error));
    std::set<std::string> commands;
    size_t open = error.find('('), close = error.rfind(')');
    if (open == std::string::npos || close == std::string::npos) return commands;
    std::istringstream list(error.substr(open + 1, close - open - 1));
    std::string word;
    while (std::getline(list, word, ',')) {
        word.erase(0, word.find_first_not_of(' '));
        commands.insert(word);
    }
    return commands;
}

TEST(OperatorScriptManual, ListsEveryCommandTheParserTakesAndNoOther) {
    std::set<std::string> documented = DocumentedCommands(), parsed = ParsedCommands();
    ASSERT_FALSE(documented.empty()) << "no commands found in " << RTE_SCRIPT_MANUAL;
    ASSERT_FALSE(parsed.empty());
    for (const std::string &command : parsed) {
        EXPECT_TRUE(documented.count(command)) << command << " is not described in " << RTE_SCRIPT_MANUAL;
    }
    for (const std::string &command : documented) {
        std::vector<rte::internal::ScriptLine> lines;
        std::string error;
        rte::internal::ParseOperatorScript(command + "\n", "s", &lines, &error);
        EXPECT_EQ(error.find("unknown command"), std::string::npos)
            << RTE_SCRIPT_MANUAL << " describes " << command << ", which the parser does not take";
    }
}

}  // namespace
