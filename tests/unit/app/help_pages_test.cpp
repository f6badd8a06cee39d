// Help pages: where they open from, and that the program folder has one for every function of
// the catalog, linked from the table of contents.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/help_location.h"
#include "run/function_catalog.h"
#include "run/program_info.h"
#include "support/temp_dir.h"

using namespace hk;

TEST(HelpPages, PagesAreTheProgramFoldersOwn) {
    EXPECT_EQ(HelpPageLocation("/opt/hk/data", "setliving.htm"), "/opt/hk/data/help/setliving.htm");

    // Current Window: the function's page only while a project is open.
    EXPECT_EQ(CurrentWindowHelpPage(true, "setliving"), "setliving.htm");
    EXPECT_EQ(CurrentWindowHelpPage(false, "setliving"), "toc.htm");
    EXPECT_EQ(CurrentWindowHelpPage(true, ""), "toc.htm");
}

TEST(HelpPages, EveryCatalogFunctionHasAPageTheContentsLinkTo) {
    const std::filesystem::path help = std::filesystem::path(HK_SOURCE_DIR) / "data" / "help";
    std::string toc = hk::test::ReadBytes(help / kHelpContentsPage);
    ASSERT_FALSE(toc.empty());
    for (const CatalogEntry& e : CatalogEntries(true)) {
        std::string page = HelpPageFor(e.key);
        std::string text = hk::test::ReadBytes(help / page);
        EXPECT_NE(text.find("<title>"), std::string::npos) << page;
        // The page names its function, and the contents link to it.
        std::string caption = e.caption.substr(0, 3) == "..." ? e.caption.substr(4) : e.caption;
        EXPECT_NE(text.find(caption), std::string::npos) << page;
        EXPECT_NE(toc.find("href=\"" + page + "\""), std::string::npos) << page;
    }
}
