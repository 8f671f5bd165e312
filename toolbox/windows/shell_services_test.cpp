// Tests of the shell services: drag and drop onto panels through shell32, documents opened
// with the default application of isolated XDG folders, and HTML help.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "rte/waiting_testing.h"
#include "rte/rte.h"
#include "rte/testing.h"
#include "toolbox/toolbox.h"
#include "win32/windows.h"

namespace {

std::vector<std::string> g_paths;
int g_drops = 0, g_engineDrops = 0, g_dropX = -1, g_dropY = -1;
bool g_take = true;

int DropTarget(int, int event, void *, int eventData1, int) {
    if (event == EVENT_DROP) ++g_engineDrops;
    if (event != EVENT_FILES_DROPPED) return 0;
    ++g_drops;
    GetDropPoint(&g_dropX, &g_dropY);
    if (!g_take) return 0;
    char **list = TakeDroppedFileList();
    EXPECT_EQ(TakeDroppedFileList(), nullptr);  // taken once
    int n = 0;
    for (; list[n] != nullptr; ++n) {
        g_paths.push_back(list[n]);
        free(list[n]);
    }
    EXPECT_EQ(n, eventData1);
    free(list);
    return 0;
}

int Ignore(int, int, unsigned int *, unsigned int *, void *) { return 0; }

class DragAndDrop : public ::testing::Test {
protected:
    void SetUp() override {
        g_paths.clear();
        g_drops = g_engineDrops = 0;
        g_take = true;
        panel = NewPanel(0, "Drop here", 0, 0, 100, 200);
        InstallPanelCallback(panel, DropTarget, nullptr);
        DisplayPanel(panel);
    }
    void TearDown() override { rte::testing::DiscardAllPanels(); }
    int panel = 0;
};

TEST_F(DragAndDrop, DroppedFilesArriveAsOneEventWithTheirList) {
    ASSERT_EQ(EnableDragAndDrop(panel), 0);
    EXPECT_EQ(EnableDragAndDrop(panel), TOOLBOX_ERR_MSG_CALLBACK_INSTALLED);
    ASSERT_EQ(rte::testing::DropFilesAt(panel, {"/tmp/a.txt", "/tmp/b c.txt", "/tmp/d"}, 30, 40), 0);
    EXPECT_EQ(g_drops, 1);
    EXPECT_EQ(g_engineDrops, 0);
    EXPECT_EQ(g_paths, (std::vector<std::string>{"/tmp/a.txt", "/tmp/b c.txt", "/tmp/d"}));
    EXPECT_EQ(g_dropX, 30);
    EXPECT_EQ(g_dropY, 40);
    EXPECT_EQ(TakeDroppedFileList(), nullptr);
    EXPECT_EQ(GetDropPoint(nullptr, nullptr), 0);

    // Outside the client area: not delivered (and freed). A list nobody takes is freed too.
    ASSERT_EQ(rte::testing::DropFilesAt(panel, {"/tmp/x"}, 250, 10), 0);
    EXPECT_EQ(g_drops, 1);
    g_take = false;
    ASSERT_EQ(rte::testing::DropFiles(panel, {"/tmp/y"}), 0);
    EXPECT_EQ(g_drops, 2);

    // The re-created window takes drops too.
    g_take = true;
    g_paths.clear();
    ASSERT_EQ(rte::testing::RecreateWindow(panel), 0);
    ASSERT_EQ(rte::testing::DropFiles(panel, {"/tmp/z"}), 0);
    EXPECT_EQ(g_paths, std::vector<std::string>{"/tmp/z"});

    // Disabled: the engine's own drop event again.
    ASSERT_EQ(DisableDragAndDrop(panel), 0);
    EXPECT_EQ(DisableDragAndDrop(panel), TOOLBOX_ERR_DRAG_DROP_NOT_ENABLED);
    ASSERT_EQ(rte::testing::DropFiles(panel, {"/tmp/w"}), 0);
    EXPECT_EQ(g_engineDrops, 1);
    EXPECT_EQ(g_drops, 3);
}

TEST_F(DragAndDrop, APanelNeedsACallbackOfItsOwn) {
    int bare = NewPanel(0, "Bare", 0, 0, 10, 10);
    EXPECT_EQ(EnableDragAndDrop(bare), TOOLBOX_ERR_NO_PANEL_CALLBACK);
    // Chained callbacks (a message callback among them) are not the panel's own.
    int posting = 0;
    ASSERT_EQ(InstallWinMsgCallback(bare, WM_APP, Ignore, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting), 0);
    EXPECT_EQ(EnableDragAndDrop(bare), TOOLBOX_ERR_NO_PANEL_CALLBACK);
    EXPECT_EQ(DisableDragAndDrop(bare), TOOLBOX_ERR_DRAG_DROP_NOT_ENABLED);
    EXPECT_EQ(EnableDragAndDrop(9999), UIE_BAD_PANEL);
    EXPECT_EQ(DisableDragAndDrop(9999), UIE_BAD_PANEL);
    // With its own callback behind the chain it may.
    InstallPanelCallback(panel, DropTarget, nullptr);
    ASSERT_EQ(InstallWinMsgCallback(panel, WM_APP, Ignore, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting), 0);
    EXPECT_EQ(EnableDragAndDrop(panel), 0);
}

// ---- Documents, in a child process with XDG folders of its own ----

std::string Scratch() { return "/tmp/toolbox_shell_" + std::to_string(getpid()); }

void Write(const std::string &path, const std::string &text) {
    std::ofstream(path) << text;
}

// XDG folders that know one type, application/x-qmtest (*.qmtest), opened by an application
// that copies the document to a marker file; and nothing else.
void IsolatedDesktop(const std::string &root, bool withApplication) {
    for (const char *dir : {"", "/data", "/data/mime", "/data/applications", "/config", "/empty"}) {
        mkdir((root + dir).c_str(), 0700);
    }
    Write(root + "/data/mime/globs2", "50:application/x-qmtest:*.qmtest\n");
    Write(root + "/data/mime/types", "application/x-qmtest\n");
    if (withApplication) {
        Write(root + "/data/applications/marker.desktop",
              "[Desktop Entry]\nType=Application\nName=Marker\nExec=cp %f " + root +
                  "/marker\nMimeType=application/x-qmtest;application/vnd.ms-htmlhelp;\n");
        Write(root + "/config/mimeapps.list",
              "[Default Applications]\napplication/x-qmtest=marker.desktop\napplication/vnd.ms-htmlhelp=marker.desktop\n");
    }
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("XDG_DATA_DIRS", (root + "/empty").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (root + "/empty").c_str(), 1);
}

[[noreturn]] void OpenInChild(const std::string &root, bool withApplication, const std::string &document) {
    IsolatedDesktop(root, withApplication);
    Write(root + "/report.qmtest", "QM7300 report\n");
    int rc = OpenDocumentInDefaultViewer(document.c_str(), 0);
    if (rc == 0) {
        // The application runs on its own: wait for its marker.
        bool marked = rte::testing::WaitFor([&] {
            std::ifstream marker(root + "/marker");
            std::string line;
            return std::getline(marker, line) && line == "QM7300 report";
        });
        std::_Exit(marked ? 0 : 10);
    }
    std::_Exit(-rc % 256);
}

TEST(OpenDocument, UsesTheDefaultApplicationOfTheDocumentsType) {
    struct Case {
        bool withApplication;
        const char *document;
        int exitCode;
    } cases[] = {
        {true, "/report.qmtest", 0},                   // found, started, the marker written
        {false, "/report.qmtest", 5096 % 256},         // no application for the type
        {true, "/missing.qmtest", 94},                 // no such file
        {true, "/no/such/folder/x.qmtest", 94},        // no such folder
    };
    int n = 0;
    for (const Case &c : cases) {
        std::string root = Scratch() + "_" + std::to_string(n++);
        EXPECT_EXIT(OpenInChild(root, c.withApplication, root + c.document), ::testing::ExitedWithCode(c.exitCode), "")
            << c.document;
        std::system(("rm -rf " + root).c_str());
    }
    EXPECT_EQ(OpenDocumentInDefaultViewer(nullptr, 0), UIE_NULL_POINTER);
}

[[noreturn]] void HelpInChild(const std::string &root, bool withApplication) {
    IsolatedDesktop(root, withApplication);
    std::_Exit(-ShowHtmlHelp("/tmp/none.chm", 0, 0) % 256);
}

TEST(HtmlHelp, LoadsOnlyWhereAnApplicationOpensHelpFiles) {
    std::string root = Scratch();
    EXPECT_EXIT(HelpInChild(root + "_none", false), ::testing::ExitedWithCode(5093 % 256), "");
    EXPECT_EXIT(HelpInChild(root + "_viewer", true), ::testing::ExitedWithCode(0), "");  // 0 whatever the viewer does
    std::system(("rm -rf " + root + "_none " + root + "_viewer").c_str());
}

}  // namespace
