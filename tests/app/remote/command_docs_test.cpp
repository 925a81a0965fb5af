// The manual and the manual page list every command of the table, as it is written there.
#include "remote/command_set.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

std::string Slurp(const char *path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Replaced(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

TEST(CommandDocs, TheManualAndTheManualPageListEveryCommand)
{
    const std::string manual = Slurp(TAVRIN_MANUAL), page = Slurp(TAVRIN_MAN_PAGE);
    ASSERT_FALSE(manual.empty());
    ASSERT_FALSE(page.empty());
    for (const tavrin::remote::Command &c : tavrin::remote::ScpiCommands().Commands()) {
        const std::string pattern(c.pattern);
        const std::string html = Replaced(Replaced(pattern, "<", "&lt;"), ">", "&gt;");
        EXPECT_NE(manual.find("<tr><td><code>" + html + "</code></td>"), std::string::npos) << pattern;
        EXPECT_NE(page.find(".B " + Replaced(pattern, "-", "\\-")), std::string::npos) << pattern;
    }
}

}  // namespace
