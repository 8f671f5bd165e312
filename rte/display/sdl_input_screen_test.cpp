// The same keys, played by an operator script on the headless display and typed on the SDL
// display of a virtual screen (Xvfb with a window manager, keys sent by xdotool), leave the
// panel with the same values: both go through the one path of operator input.
//
// Each session runs in a child process (this test program again, filtered to KeysSession),
// because the display is chosen once per process. The screen half is skipped when the tools
// are not installed.
#include <SDL.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "rte/display/virtual_screen_testing.h"
#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

const char kPanel[] =
    "uir 1\n"
    "panel PANEL 1\n"
    "  title Keys Compared\n"
    "  top 120\n"
    "  left 120\n"
    "  height 300\n"
    "  width 420\n"
    "  control PANEL_NAME 1 string\n"
    "    label Name\n"
    "    top 30\n"
    "    left 20\n"
    "    width 200\n"
    "    attr ATTR_MAX_ENTRY_LENGTH 12\n"
    "  end\n"
    "  control PANEL_COUNT 2 numeric\n"
    "    label Count\n"
    "    top 80\n"
    "    left 20\n"
    "    width 120\n"
    "    attr ATTR_DATA_TYPE VAL_DOUBLE\n"
    "  end\n"
    "  control PANEL_KIND 3 ring\n"
    "    label Kind\n"
    "    top 130\n"
    "    left 20\n"
    "    attr ATTR_DATA_TYPE VAL_STRING\n"
    "    item one\n"
    "    item two\n"
    "    item three\n"
    "  end\n"
    "  control PANEL_LIST 4 listbox\n"
    "    label List\n"
    "    top 30\n"
    "    left 260\n"
    "    width 120\n"
    "    attr ATTR_DATA_TYPE VAL_STRING\n"
    "    item red\n"
    "    item green\n"
    "    item blue\n"
    "    item grey\n"
    "  end\n"
    "  control PANEL_NOTE 5 string\n"
    "    label Note\n"
    "    top 180\n"
    "    left 20\n"
    "    width 200\n"
    "  end\n"
    "  control PANEL_DONE 6 command\n"
    "    label Done\n"
    "    top 240\n"
    "    left 20\n"
    "    callback keysDone\n"
    "  end\n"
    "end\n";

const char *const kNames[] = {"PANEL_NAME", "PANEL_COUNT", "PANEL_KIND", "PANEL_LIST", "PANEL_NOTE"};

// The steps, each a key as the script names it ("key ...") or text typed ("keys ...").
const char *const kSteps[] = {
    // The name, which has the focus when the panel opens: typed, then edited with the caret and
    // the selection.
    "keys hello world", "key Backspace", "key Left", "key Left", "keys X", "key Home", "keys <",
    "key Right", "key Shift+Right", "key Shift+Right", "keys Q",
    // The count: typed text, taken when the focus leaves.
    "key Tab", "keys 12.5", "key Backspace", "keys 75",
    // The ring: a key, then its open list.
    "key Tab", "key Down", "key Space", "key Down", "key Enter",
    // The list box's arrows.
    "key Tab", "key Down", "key Down", "key Down", "key Up",
    // The note, with focus moves both ways.
    "key Tab", "keys first", "key Shift+Tab", "key Tab", "keys again", "key End", "key Backspace",
};

std::string ScriptOfSteps() {
    std::string script;
    for (const char *step : kSteps) script += std::string(step) + "\n";
    return script + "press PANEL_DONE\n";
}

// The same steps as xdotool commands: the keys by xdotool's names, the texts typed.
std::string XdotoolOfSteps() {
    const std::pair<std::string, std::string> names[] = {
        {"Backspace", "BackSpace"}, {"Enter", "Return"}, {"Space", "space"}, {"Shift+", "shift+"}};
    std::string cmds;
    for (std::string step : kSteps) {
        if (step.rfind("keys ", 0) == 0) {
            cmds += " xdotool type --delay 60 '" + step.substr(5) + "';";
        } else {
            step = step.substr(4);
            for (const auto &[ours, theirs] : names) {
                if (step.rfind(ours, 0) == 0) step = theirs + step.substr(ours.size());
            }
            cmds += " xdotool key --delay 60 " + step + ";";
        }
        cmds += " sleep 0.15;";
    }
    return cmds;
}

// What SDL handed the engine of the keyboard, in order: keys down by name, text typed in
// quotes. A session on the screen prints it, so that a failure tells whether a key the test sent
// reached the program.
std::string g_keysSeen;
int NoteKeys(void *, SDL_Event *e) {
    if (e->type == SDL_KEYDOWN) g_keysSeen += std::string(SDL_GetKeyName(e->key.keysym.sym)) + " ";
    if (e->type == SDL_TEXTINPUT) g_keysSeen += "'" + std::string(e->text.text) + "' ";
    return 1;
}

extern "C" int KeysDone(int, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT) QuitUserInterface(0);
    return 0;
}
const RteSymbol kSymbols[] = {{"keysDone", reinterpret_cast<void *>(&KeysDone), 1}};

std::string ReadFile(const std::string &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs this program's KeysSession in a child with the given environment, on no screen; its exit
// status and everything it printed.
int RunHeadless(const std::string &environment, std::string *text) {
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return -1;
    return rte::testing::RunCommand(environment + " timeout -s KILL 120 '" + self + "' --gtest_filter=KeysSession.*",
                                    text);
}

}  // namespace

// One session, run only as the child of the tests below: plays the keys by the script
// (RTE_DISPLAY=headless, RTE_SCRIPT) or by xdotool on the screen (RTE_DISPLAY=sdl), then writes
// the values to RTE_KEYS_OUT.
TEST(KeysSession, PlaysTheKeys) {
    const char *out = std::getenv("RTE_KEYS_OUT");
    if (out == nullptr) GTEST_SKIP() << "runs as the child of the key comparison";
    ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(RteSetSymbolTable(kSymbols, 1), 0);
    int panel = LoadPanel(0, std::getenv("RTE_KEYS_PANEL"), 1);
    ASSERT_GT(panel, 0) << RteGetLoadPanelError();
    ASSERT_EQ(DisplayPanel(panel), 0);
    std::unique_ptr<rte::testing::ScreenDriver> driver;
    bool screen = std::string(std::getenv("RTE_DISPLAY")) == "sdl";
    if (screen) {
        SDL_AddEventWatch(NoteKeys, nullptr);
        // The keys, then a click on Done as the script's last line presses it: the click comes
        // after the keys, so the loop ends once they are all taken.
        int done = rte::testing::FindCtrl(panel, "PANEL_DONE"), top = 0, left = 0, height = 0, width = 0;
        GetCtrlBoundingRect(panel, done, &top, &left, &height, &width);
        driver = std::make_unique<rte::testing::ScreenDriver>(
            rte::testing::ShellWaits() + " W=$(wait_window 'Keys Compared') || exit 1; set -e;" +
            " xdotool windowactivate --sync $W >/dev/null 2>&1 || true;" + XdotoolOfSteps() +
            " xdotool mousemove --window $W " + std::to_string(left + width / 2) + " " +
            std::to_string(top + height / 2) + " click 1");
    }
    EXPECT_EQ(RunUserInterface(), 0);
    if (driver) {
        EXPECT_EQ(driver->Finish(), 0);
    }
    if (screen) {
        SDL_DelEventWatch(NoteKeys, nullptr);
        std::printf("keys seen by SDL: %s\n", g_keysSeen.c_str());
    }
    std::ofstream values(out);
    for (const char *name : kNames) {
        values << name << "=" << rte::testing::ValueText(panel, rte::testing::FindCtrl(panel, name)) << "\n";
    }
    DiscardPanel(panel);
    CloseRTE();
}

class KeysCompared : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tag = std::to_string(getpid());
        panelFile_ = "keys_compared_" + tag + ".uir";
        scriptFile_ = "keys_compared_" + tag + ".script";
        scriptOut_ = "keys_compared_" + tag + ".script.out";
        screenOut_ = "keys_compared_" + tag + ".screen.out";
        std::ofstream(panelFile_) << kPanel;
        std::ofstream(scriptFile_) << ScriptOfSteps();
    }
    void TearDown() override {
        for (const std::string &f : {panelFile_, scriptFile_, scriptOut_, screenOut_}) std::remove(f.c_str());
    }
    std::string PlayScript() {
        std::string text;
        int status = RunHeadless("RTE_DISPLAY=headless RTE_SCRIPT='" + scriptFile_ + "' RTE_KEYS_PANEL='" +
                                    panelFile_ + "' RTE_KEYS_OUT='" + scriptOut_ + "'",
                                &text);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text;
        return ReadFile(scriptOut_);
    }
    std::string panelFile_, scriptFile_, scriptOut_, screenOut_;
};

TEST_F(KeysCompared, TheScriptEditsAsAnOperatorWould) {
    // What the keys make of the panel, worked out by hand: the caret moves, a selection is typed
    // over, the numeric's text becomes its value when the focus leaves, the ring's list chooses.
    EXPECT_EQ(PlayScript(), "PANEL_NAME=<hQlo woXrl\n"
                            "PANEL_COUNT=12.75\n"
                            "PANEL_KIND=three\n"
                            "PANEL_LIST=blue\n"
                            "PANEL_NOTE=agai\n");
}

TEST_F(KeysCompared, TheScreenGivesWhatTheScriptGives) {
    if (const char *tool = rte::testing::MissingTool({"Xvfb", "openbox", "xdotool"})) {
        GTEST_SKIP() << tool << " is not installed";
    }
    std::string scripted = PlayScript();
    rte::testing::VirtualScreen screen;
    ASSERT_FALSE(screen.display().empty()) << screen.problem();
    std::string text;
    int status = screen.RunSession("KeysSession.*",
                                   "RTE_KEYS_PANEL='" + panelFile_ + "' RTE_KEYS_OUT='" + screenOut_ + "'", &text,
                                   3 * rte::testing::kPatience.count());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << screen.Report(status, text);
    EXPECT_EQ(ReadFile(screenOut_), scripted) << screen.Report(status, text);
}
