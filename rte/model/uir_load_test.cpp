// Tests of LoadPanel on good and malformed panel resource files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"

extern "C" int UirTestQuit(int, int, int, void *, int, int) { return 0; }
int UirTestData = 0;

namespace {

const RteSymbol kSymbols[] = {
    {"quit", reinterpret_cast<void *>(&UirTestQuit), 1},
    {"someData", &UirTestData, 0},
};

int LoadText(const std::string &text, int id = 1) {
    // Named for this process: test programs run side by side must not share the file.
    const std::string path = "uir_load_test_" + std::to_string(getpid()) + ".uir";
    std::ofstream(path, std::ios::binary) << text;
    int rc = LoadPanel(0, path.c_str(), id);
    std::remove(path.c_str());
    return rc;
}

class UirLoad : public ::testing::Test {
protected:
    void SetUp() override { RteSetSymbolTable(kSymbols, 2); }
    void TearDown() override { rte::testing::DiscardAllPanels(); }
};

const char *kGood =
    "uir 1\n"
    "# a comment\n"
    "panel PANEL 1\n"
    "  title \"Test \\\"panel\\\"\"\n"
    "  height 300\n"
    "  attr ATTR_CLOSE_CTRL PANEL_QUIT\n"
    "  control PANEL_NAME 2 string\n"
    "    label Device name\n"
    "    attr ATTR_MAX_ENTRY_LENGTH 23\n"
    "  end\n"
    "  control PANEL_LIST 3 ring\n"
    "    attr ATTR_DATA_TYPE VAL_STRING\n"
    "    item one\n"
    "    item two words\n"
    "  end\n"
    "  control PANEL_QUIT 4 command\n"
    "    label Quit\n"
    "    callback quit\n"
    "  end\n"
    "end\n"
    "panel OTHER 2\n"
    "end\n";

TEST_F(UirLoad, BuildsThePanelWithBoundCallbacks) {
    int panel = LoadText(kGood);
    ASSERT_GT(panel, 0) << RteGetLoadPanelError();
    char title[64];
    EXPECT_EQ(GetPanelAttribute(panel, ATTR_TITLE, title), 0);
    EXPECT_STREQ(title, "Test \"panel\"");
    int quit = rte::testing::FindCtrl(panel, "PANEL_QUIT");
    EXPECT_EQ(quit, 4);
    int closeCtrl = 0;  // a panel attribute may name a control declared after it
    EXPECT_EQ(GetPanelAttribute(panel, ATTR_CLOSE_CTRL, &closeCtrl), 0);
    EXPECT_EQ(closeCtrl, quit);
    void *cb = nullptr;
    EXPECT_EQ(GetCtrlAttribute(panel, quit, ATTR_CALLBACK_FUNCTION_POINTER, &cb), 0);
    EXPECT_EQ(cb, reinterpret_cast<void *>(&UirTestQuit));
    int length = 0;
    EXPECT_EQ(GetCtrlAttribute(panel, 2, ATTR_MAX_ENTRY_LENGTH, &length), 0);
    EXPECT_EQ(length, 23);
    EXPECT_EQ(rte::testing::ItemLabels(panel, 3), (std::vector<std::string>{"one", "two words"}));
    EXPECT_EQ(rte::testing::ValueText(panel, 3), "one");
    EXPECT_FALSE(rte::testing::IsPanelVisible(panel));
    EXPECT_GT(LoadText(kGood, 2), 0);
}

TEST_F(UirLoad, MalformedFilesGiveClearCodesAndLeaveNothing) {
    struct Case {
        const char *text;
        int code;
    } cases[] = {
        {"", UIE_BAD_FILE_FORMAT},
        {"uir 2\n", UIE_BAD_FILE_FORMAT},
        {"panel P 1\nend\n", UIE_BAD_FILE_FORMAT},                       // no header
        {"uir 1\npanel P 1\n", UIE_BAD_FILE_FORMAT},                     // missing end
        {"uir 1\nend\n", UIE_BAD_FILE_FORMAT},
        {"uir 1\npanel P 0\nend\n", UIE_BAD_FILE_FORMAT},                // bad ID
        {"uir 1\npanel P 1\nend\npanel Q 1\nend\n", UIE_BAD_FILE_FORMAT},  // ID twice
        {"uir 1\npanel P 1\ncontrol A 2 nosuchkind\nend\nend\n", UIE_BAD_FILE_FORMAT},
        {"uir 1\npanel P 1\ncontrol A 2 string\nend\ncontrol A 3 string\nend\nend\n", UIE_BAD_FILE_FORMAT},
        {"uir 1\npanel P 1\ntitle \"open\nend\n", UIE_BAD_FILE_FORMAT},
        {"uir 1\npanel P 1\ncontrol A 2 string\nattr ATTR_DIMMED 7\nend\nend\n", UIE_BAD_FILE_FORMAT},
        {"uir 1\npanel P 1\ncontrol A 2 string\nattr ATTR_INTERVAL 1\nend\nend\n", UIE_BAD_FILE_FORMAT},
        {"uir 1\npanel P 1\ncontrol A 2 string\nattr NOPE 1\nend\nend\n", UIE_BAD_FILE_FORMAT},
        {"uir 1\npanel P 1\ncontrol A 2 string\nitem x\nend\nend\n", UIE_BAD_FILE_FORMAT},
        {"uir 1\npanel P 1\nwobble\nend\n", UIE_BAD_FILE_FORMAT},
        {"uir 1\npanel P 1\ncontrol A 2 command\ncallback missing\nend\nend\n", UIE_CALLBACK_NOT_FOUND},
        {"uir 1\npanel P 1\ncallback someData\nend\n", UIE_CALLBACK_NOT_FOUND},  // data, not a function
        {"uir 1\npanel P 5\nend\n", UIE_RESOURCE_NOT_FOUND},
    };
    size_t before = rte::testing::AllPanels().size();
    for (const Case &c : cases) {
        EXPECT_EQ(LoadText(c.text), c.code) << c.text;
        EXPECT_STRNE(RteGetLoadPanelError(), "") << c.text;
    }
    EXPECT_EQ(rte::testing::AllPanels().size(), before);
    EXPECT_EQ(LoadPanel(0, "no/such/file.uir", 1), UIE_FILE_NOT_FOUND);
    EXPECT_EQ(LoadPanel(0, nullptr, 1), UIE_NULL_POINTER);
    EXPECT_EQ(LoadPanel(9999, "x.uir", 1), UIE_BAD_PANEL);
}

}  // namespace

namespace {

// A one-panel file whose panel is titled `title`, at `path`.
void WritePanelFile(const std::string &path, const std::string &title) {
    std::ofstream(path, std::ios::binary) << "uir 1\npanel PANEL 1\n  title " << title << "\nend\n";
}

std::string TitleOf(int panel) {
    char title[64] = "";
    GetPanelAttribute(panel, ATTR_TITLE, title);
    return title;
}

}  // namespace

// A relative name is looked up beside the program, then in <program folder>/../share/<program>/
// (where an install keeps it), then in the current folder.
TEST_F(UirLoad, RelativeNamesSearchTheProgramFolderThenItsShareFolderThenTheCurrentOne) {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    std::string program(self, static_cast<size_t>(n));
    std::string folder = program.substr(0, program.rfind('/'));
    std::string share = folder + "/../share/" + program.substr(program.rfind('/') + 1);
    ASSERT_EQ(system(("mkdir -p '" + share + "'").c_str()), 0);
    const std::string name = "search_order_" + std::to_string(getpid()) + ".uir";
    char cwd[4096], scratch[] = "/tmp/uir_search_XXXXXX";
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_NE(mkdtemp(scratch), nullptr);
    ASSERT_EQ(chdir(scratch), 0);

    WritePanelFile(name, "current");
    int panel = LoadPanel(0, name.c_str(), 1);
    EXPECT_EQ(TitleOf(panel), "current");
    WritePanelFile(share + "/" + name, "share");
    panel = LoadPanel(0, name.c_str(), 1);
    EXPECT_EQ(TitleOf(panel), "share");
    WritePanelFile(folder + "/" + name, "beside");
    panel = LoadPanel(0, name.c_str(), 1);
    EXPECT_EQ(TitleOf(panel), "beside");

    std::remove(name.c_str());
    std::remove((share + "/" + name).c_str());
    std::remove((folder + "/" + name).c_str());
    rmdir(share.c_str());
    rmdir((folder + "/../share").c_str());
    EXPECT_EQ(chdir(cwd), 0);
    rmdir(scratch);
}
