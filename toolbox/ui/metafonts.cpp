// Metafont information, read from a hidden text control of the calling thread, and the test
// whether a name is a font.
//
// Each thread keeps its own "Metafont info panel" with a "Sample" text control in its
// ToolboxThreadLocals block. The panel belongs to the thread: its clean-up is registered with
// the block's clean-ups, which run on the owning thread (handed there with
// PostDeferredCallToThreadAndWait when the block is discarded from another thread).
#include "toolbox/ui/ui_services.h"

#include "rte/graphics.h"
#include "rte/ui.h"
#include "toolbox/core/errors.h"
#include "toolbox/core/thread_locals_internal.h"
#include "toolbox/windows/deferred_calls.h"

namespace {

void CleanupMetaFontPanel(ToolboxThreadLocals *block) {
    if (block->metaFontPanel > 0) DiscardPanel(block->metaFontPanel);
    block->metaFontPanel = 0;
    block->metaFontSampleCtrl = 0;
}

// The thread's sample control, made on first use; a negative code when it cannot be made (the
// next call tries again).
int SampleControl(ToolboxThreadLocals *block) {
    if (block->metaFontPanel <= 0) {
        RegisterThreadBlockCleanup(CleanupMetaFontPanel, PostDeferredCallToThreadAndWait);
        int panel = NewPanel(0, "Metafont info panel", -1000, -1000, 10, 10);
        if (panel < 0) return panel;
        block->metaFontPanel = panel;
    }
    if (block->metaFontSampleCtrl <= 0) {
        int control = NewCtrl(block->metaFontPanel, CTRL_TEXT_MSG, "Sample", 0, 0);
        if (control < 0) return control;
        block->metaFontSampleCtrl = control;
    }
    return block->metaFontSampleCtrl;
}

}  // namespace

extern "C" int GetMetaFontInfo(const char *metaFontName, char *typeface, int *bold, int *underline,
                               int *strikeout, int *italic, int *pointSize) {
    ToolboxThreadLocals *block = GetThreadLocalBlock();
    int sample = SampleControl(block);
    if (sample < 0) return sample;
    int panel = block->metaFontPanel, status;
    struct {
        int *out;
        int attribute;
        int plain;  // what a typeface without a metafont stands for: 13 points, no style
    } properties[] = {{bold, ATTR_TEXT_BOLD, 0},
                      {underline, ATTR_TEXT_UNDERLINE, 0},
                      {strikeout, ATTR_TEXT_STRIKEOUT, 0},
                      {italic, ATTR_TEXT_ITALIC, 0},
                      {pointSize, ATTR_TEXT_POINT_SIZE, 13}};
    // The sample keeps what the previous question left on it: a metafont brings its own size
    // and style, but a plain typeface would read them from the previous answer. So the sample
    // starts plain each time.
    for (const auto &property : properties) {
        if ((status = SetCtrlAttribute(panel, sample, property.attribute, property.plain)) < 0) return status;
    }
    if ((status = SetCtrlAttribute(panel, sample, ATTR_TEXT_FONT, metaFontName)) < 0) return status;
    for (const auto &property : properties) {
        if (property.out && (status = GetCtrlAttribute(panel, sample, property.attribute, property.out)) < 0)
            return status;
    }
    if (typeface) {
        // Once a property of a metafont-based font changes, the font reads as its typeface.
        if ((status = SetCtrlAttribute(panel, sample, ATTR_TEXT_POINT_SIZE, 2)) < 0 ||
            (status = GetCtrlAttribute(panel, sample, ATTR_TEXT_FONT, typeface)) < 0)
            return status;
    }
    return 0;
}

extern "C" int IsMetaFont(const char *fontName) {
    int oldBreak = SetBOLE(0);
    int status = GetTextDisplaySize("sample", fontName, nullptr, nullptr);
    SetBOLE(oldBreak);
    if (status == UIE_BAD_FONT) return 0;
    return status < 0 ? status : 1;
}
