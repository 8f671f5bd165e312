// The library's panels in a real browser, on the engine's web display (headless Chromium through
// rte/display/web_browser_testing.h): a tool tip shows after the pointer rests and goes when it
// leaves, the progress dialog sees a click on Cancel and the Escape key, the colour popup is
// worked with its keys, and files dropped on a panel reach EnableDragAndDrop's callback, each as
// on the screen.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "rte/display/web_browser_testing.h"
#include "rte/testing.h"
#include "toolbox/toolbox.h"

namespace {

namespace rt = rte::testing;

const auto &Url = rt::WebUrl;
const auto &Do = rt::Drive;
std::string N(int v) { return std::to_string(v); }

// The centre of a control (without its label) in its panel: {panel, x, y}.
std::vector<std::string> Centre(int panel, int control) {
    int top = 0, left = 0, height = 0, width = 0;
    GetCtrlAttribute(panel, control, ATTR_TOP, &top);
    GetCtrlAttribute(panel, control, ATTR_LEFT, &left);
    GetCtrlAttribute(panel, control, ATTR_HEIGHT, &height);
    GetCtrlAttribute(panel, control, ATTR_WIDTH, &width);
    return {N(panel), N(left + width / 2), N(top + height / 2)};
}
void ClickAt(const std::vector<std::string> &at) { Do({"click", "a", at[0], at[1], at[2]}); }

TEST(LibraryInTheBrowser, AToolTipShowsAfterRestingAndGoesWhenThePointerLeaves) {
    ASSERT_NE(Url(), "");
    int panel = NewPanel(0, "Tip", 80, 60, 200, 320);
    int button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Hover over me", 50, 40);
    ASSERT_EQ(SetCtrlToolTipAttribute(panel, button, ATTR_TOOLTIP_TEXT, "A tool tip in the browser"), 0);
    DisplayPanel(panel);
    // Pixels of the tip's background on the panel's canvas.
    std::string tipPixels = "(() => { const c = document.querySelector('canvas[data-panel=\"" + N(panel) +
                            "\"]'); const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data; let n = 0;"
                            " for (let i = 0; i < d.length; i += 4) n += ((d[i] << 16) | (d[i + 1] << 8) | d[i + 2]) === " +
                            N(RteGetSysColor(RTE_SYSCOLOR_INFOBK)) + "; return n; })()";
    std::string before;
    rt::RunWhileDriving([&] {
        Do({"open", "a", Url()});
        before = Do({"eval", "a", tipPixels});
        Do({"mouse", "a", "move", N(panel), "60", "60"});
        Do({"mouse", "a", "move", N(panel), "61", "61"});
        Do({"wait", "a", tipPixels + " > 500", "60"});
        Do({"mouse", "a", "move", "0", "900", "600"});  // out of the window
        Do({"wait", "a", tipPixels + " === 0", "60"});
        Do({"close", "a"});
    });
    EXPECT_EQ(before, "0");
    DiscardPanel(panel);
}

TEST(LibraryInTheBrowser, TheProgressDialogSeesCancelAndEscape) {
    ASSERT_NE(Url(), "");
    int dialog = CreateProgressDialog("Progress", "Working", 1, 3, "Cancel");
    ASSERT_GT(dialog, 0);
    int cancel = 0;
    GetPanelAttribute(dialog, ATTR_PANEL_FIRST_CTRL, &cancel);
    GetCtrlAttribute(dialog, cancel, ATTR_NEXT_CTRL, &cancel);
    std::vector<std::string> cancelAt = Centre(dialog, cancel);
    // Reports go on while the browser acts. For each action, the reports are counted that did
    // not yet see the cancel once the program had applied it (0: the next report saw it).
    const std::vector<std::vector<std::string>> actions = {{"click", "a", cancelAt[0], cancelAt[1], cancelAt[2]},
                                                           {"key", "a", "Escape"}};
    std::atomic<int> opened{0}, ready{0}, applied{0}, seen{0};
    std::thread driver([&] {
        Do({"open", "a", Url()});
        opened.store(1);
        // Once the program has left the reports it made while the page opened: a cancel taken
        // by one of those would be counted by none.
        while (!ready.load()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        for (int k = 0; k < 2; ++k) {
            Do(actions[static_cast<size_t>(k)]);
            Do({"sync", "a"});
            applied.store(k + 1);
            while (seen.load() <= k) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        Do({"close", "a"});
    });
    int i = 0;
    auto report = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return UpdateProgressDialog(dialog, i++ % 101, 1);
    };
    // The driver's every step ends by itself (its commands have deadlines of their own), and
    // the steps that wait for the program need its turns: they are given until the step is done.
    while (!opened.load()) report();
    ready.store(1);
    std::vector<int> late;
    for (int k = 0; k < 2; ++k) {
        int after = -1, count = 0;
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (std::chrono::steady_clock::now() < end) {
            bool wasApplied = applied.load() > k;
            if (report() == 1) {
                after = count;
                break;
            }
            if (wasApplied) ++count;
        }
        late.push_back(after);
        while (applied.load() <= k) report();  // its sync needs turns
        seen.store(k + 1);
    }
    driver.join();
    DiscardProgressDialog(dialog);
    EXPECT_EQ(late, (std::vector<int>{0, 0}));
}

struct ColourRun {
    std::vector<std::vector<std::string>> steps;  // "colour" and "ok" stand for clicks on those controls
    int result = -2;
};

TEST(LibraryInTheBrowser, TheColourPopupIsWorkedWithItsKeys) {
    ASSERT_NE(Url(), "");
    ColorListEntry scheme[] = {{const_cast<char *>("Background"), 0xFFFFFF, 0xF0E8D8},
                               {const_cast<char *>("Text"), 0x000000, 0x202020}};
    ListHandle colours = ListCreate(sizeof(ColorListEntry));
    ListInsertItems(colours, scheme, LIST_END, 2);
    // Down moves to Text; the colour control's choice takes typed hex digits and Enter; OK keeps
    // it. Then Escape cancels a second popup, which leaves the colours as they were.
    ColourRun runs[] = {{{{"key", "a", "ArrowDown"}, {"colour"}, {"type", "a", "336699"}, {"key", "a", "Enter"}, {"ok"}}},
                        {{{"key", "a", "ArrowDown"}, {"key", "a", "Escape"}}}};
    unsigned loop = CurrThreadId();
    static ListHandle s_colours;
    static std::atomic<int> s_result;
    s_colours = colours;
    rt::RunWhileDriving([&] {
        Do({"open", "a", Url()});
        for (ColourRun &run : runs) {
            PostDeferredCallToThread([](void *) { s_result = ColorChangePopup("Colours", s_colours, 1, nullptr, nullptr); },
                                     nullptr, loop);
            Do({"wait", "a", "document.title === 'Colours'", "60"});
            int popup = rt::ActivePanel();
            for (const auto &step : run.steps) {
                int control = 0;
                for (int c : rt::PanelCtrls(popup)) {
                    int style = 0;
                    char label[64] = {};
                    GetCtrlAttribute(popup, c, ATTR_CTRL_STYLE, &style);
                    GetCtrlAttribute(popup, c, ATTR_LABEL_TEXT, label);
                    if ((step[0] == "colour" && style == CTRL_COLOR_NUMERIC) || (step[0] == "ok" && std::string(label).find("OK") != std::string::npos)) {
                        control = c;
                    }
                }
                if (control != 0) ClickAt(Centre(popup, control));
                else Do(step);
            }
            Do({"wait", "a", "document.title !== 'Colours'", "60"});
            Do({"sync", "a"});
            run.result = s_result;
        }
        Do({"close", "a"});
    });
    ColorListEntry text{};
    ListGetItem(colours, &text, 2);
    EXPECT_EQ(runs[0].result, 1);
    EXPECT_EQ(runs[1].result, 0);
    EXPECT_EQ(text.color, 0x336699);
    ListDispose(colours);
}

std::vector<std::string> g_files;
int TakeFiles(int, int event, void *, int, int) {
    if (event != EVENT_FILES_DROPPED) return 0;
    if (char **files = TakeDroppedFileList()) {
        for (int i = 0; files[i] != nullptr; ++i) {
            std::string path = files[i];
            g_files.push_back(path.substr(path.rfind('/') + 1));
            free(files[i]);
        }
        free(files);
    }
    return 0;
}

TEST(LibraryInTheBrowser, FilesDroppedOnAPanelReachItsDropCallback) {
    ASSERT_NE(Url(), "");
    int panel = NewPanel(0, "Drop Target", 80, 60, 200, 320);
    InstallPanelCallback(panel, TakeFiles, nullptr);
    ASSERT_EQ(EnableDragAndDrop(panel), 0);
    DisplayPanel(panel);
    rt::RunWhileDriving([&] {
        Do({"open", "a", Url()});
        Do({"drop", "a", N(panel), "100", "100", "first file.txt", "one"});
        Do({"drop", "a", N(panel), "120", "140", "second.txt", "two"});
        Do({"sync", "a"});
        Do({"close", "a"});
    });
    EXPECT_EQ(g_files, (std::vector<std::string>{"first file.txt", "second.txt"}));
    DiscardPanel(panel);
}

}  // namespace
