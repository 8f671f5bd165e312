// Callback chaining: links put in front of a control's or panel's callback, the dispatchers that
// pass each event down the chain, and the chain, unchain, lookup and call operations.
//
// Nothing is stored beside the engine's own attributes. While an object has links, its callback
// attribute holds the dispatcher (ChainedCtrlCallback, or ChainedPanelCallback for a panel) and
// its callback-data attribute the newest link. Each link keeps the pair that was installed when
// it was chained: the dispatcher with the next older link, or, at the end of the chain, the
// base callback and its data. A chain is walked from the attributes through these pairs while
// the callback found is the dispatcher and the data is not NULL.
//
// Links that are being dispatched. The dispatchers run on the panel's thread without a lock,
// and a callback may unchain links of its own object (itself included) or discard the object
// while the dispatcher is inside it. Each dispatch therefore records its link in a frame on the
// thread's stack of dispatches. A link taken out of its chain while a frame of this thread
// holds it is not freed but marked, and the outermost frame frees it when it ends; while it is
// out of the chain, its previous pair is kept current when the link behind it goes too. After
// the callback returns, the dispatcher reads the link's previous pair afresh, so the event goes
// on to whatever is still chained behind it, and not at all when the object was discarded
// meanwhile (the links behind have then already seen EVENT_DISCARD).
#include "toolbox/ui/callback_chain.h"
#include "toolbox/ui/callback_base_internal.h"

#include "rte/alloc.h"
#include "toolbox/core/errors.h"
#include "toolbox/core/library_locks_internal.h"
#include "toolbox/text/strings.h"
#include "toolbox/ui/callback_chain_internal.h"
#include "toolbox/ui/linked_panels_internal.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const uint32_t LINK_SIGNATURE = 0x4C494E4B;  // "LINK", stored at creation, read by nothing

struct CallbackLink {
    uint32_t signature;
    char *type;              // the link's own copy of its type name
    void *callbackData;
    void *callback;          // CtrlCallbackPtr or PanelCallbackPtr; may be NULL
    void *prevCallbackData;  // the pair installed when this link was chained
    void *prevCallback;
};

// A control, or the panel itself when control is 0 (control IDs are positive).
struct Target {
    int panel;
    int control;
};

int ChainedCtrlCallback(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int ChainedPanelCallback(int panel, int event, void *callbackData, int eventData1, int eventData2);

// Function and data pointers travel through the engine's pointer attributes as void *.
template <typename F>
void *FunctionAddress(F function) {
    return reinterpret_cast<void *>(function);
}

void *Dispatcher(Target t) {
    return t.control ? FunctionAddress(ChainedCtrlCallback) : FunctionAddress(ChainedPanelCallback);
}

bool IsDispatcher(void *callback) {
    return callback == FunctionAddress(ChainedCtrlCallback) || callback == FunctionAddress(ChainedPanelCallback);
}

int ReadInstalled(Target t, void **callback, void **data) {
    int status = t.control ? GetCtrlAttribute(t.panel, t.control, ATTR_CALLBACK_FUNCTION_POINTER, callback)
                           : GetPanelAttribute(t.panel, ATTR_CALLBACK_FUNCTION_POINTER, callback);
    if (status < 0) return status;
    return t.control ? GetCtrlAttribute(t.panel, t.control, ATTR_CALLBACK_DATA, data)
                     : GetPanelAttribute(t.panel, ATTR_CALLBACK_DATA, data);
}

int Install(Target t, void *callback, void *data) {
    return t.control
               ? InstallCtrlCallback(t.panel, t.control, reinterpret_cast<CtrlCallbackPtr>(callback), data)
               : InstallPanelCallback(t.panel, reinterpret_cast<PanelCallbackPtr>(callback), data);
}

int Call(Target t, void *callback, void *data, int event, int eventData1, int eventData2) {
    if (t.control)
        return reinterpret_cast<CtrlCallbackPtr>(callback)(t.panel, t.control, event, data, eventData1, eventData2);
    return reinterpret_cast<PanelCallbackPtr>(callback)(t.panel, event, data, eventData1, eventData2);
}

void FreeLink(CallbackLink *link) {
    std::free(link->type);
    std::free(link);
}

// ---- The thread's stack of dispatches ----

struct DispatchFrame {
    CallbackLink *link;
    bool outOfChain;  // the link was unchained or discarded while this dispatch ran
    bool discarded;   // the object was discarded while the link's callback ran
    DispatchFrame *outer;
};

thread_local DispatchFrame *t_dispatches = nullptr;

bool HeldByDispatch(const CallbackLink *link) {
    for (DispatchFrame *f = t_dispatches; f; f = f->outer)
        if (f->link == link) return true;
    return false;
}

// The link has just been taken out of its chain, by an unchain (discarding NULL) or by the
// EVENT_DISCARD dispatch in `discarding`. Marks the frames that hold it, and gives the links
// already out of the chain that still point at it its previous pair. True when no frame holds
// it, so that the caller frees it now.
bool TakenOutOfChain(CallbackLink *link, const DispatchFrame *discarding) {
    bool held = false;
    for (DispatchFrame *f = t_dispatches; f; f = f->outer) {
        if (f->link == link) {
            f->outOfChain = true;
            if (discarding && f != discarding) f->discarded = true;
            held = true;
        } else if (f->outOfChain && f->link->prevCallbackData == link && IsDispatcher(f->link->prevCallback)) {
            f->link->prevCallback = link->prevCallback;
            f->link->prevCallbackData = link->prevCallbackData;
        }
    }
    return !held;
}

int Dispatch(Target t, CallbackLink *link, int event, int eventData1, int eventData2) {
    DispatchFrame frame = {link, false, false, t_dispatches};
    t_dispatches = &frame;
    if (event == EVENT_DISCARD) {
        // The object's attributes show the rest of the chain before anyone is called.
        Install(t, link->prevCallback, link->prevCallbackData);
        TakenOutOfChain(link, &frame);
    }
    int result = link->callback ? Call(t, link->callback, link->callbackData, event, eventData1, eventData2) : 0;
    if (event == EVENT_DISCARD) result = 0;  // every link and the base callback see it
    // Read after the callback: it may have unchained links behind this one.
    void *prev = link->prevCallback;
    void *prevData = link->prevCallbackData;
    if (result == 0 && prev && !frame.discarded) result = Call(t, prev, prevData, event, eventData1, eventData2);
    t_dispatches = frame.outer;
    if (event == EVENT_DISCARD) RemovePanelWithLinkedCallbacks(t.panel);
    if (frame.outOfChain && !HeldByDispatch(link)) FreeLink(link);
    return result;
}

// ---- Finding links (call with the chain lock held) ----

// 1 and the link (when wanted) if the object has a link of the type, 0 if not; -65 for a NULL
// type; the engine's code when the attributes cannot be read.
int FindLink(Target t, const char *type, CallbackLink **found) {
    if (!type) return UIE_NULL_POINTER;
    void *callback = nullptr, *data = nullptr;
    int status = ReadInstalled(t, &callback, &data);
    if (status < 0) return status;
    while (callback == Dispatcher(t) && data) {
        auto *link = static_cast<CallbackLink *>(data);
        if (std::strcmp(link->type, type) == 0) {
            if (found) *found = link;
            return 1;
        }
        callback = link->prevCallback;
        data = link->prevCallbackData;
    }
    return 0;
}

// The first callback of the chain that is not the dispatcher (null when none) and the data
// installed beside it; either out-parameter may be NULL.
int GetBase(Target t, void **baseCallback, void **baseData) {
    void *callback = nullptr, *data = nullptr;
    int status = ReadInstalled(t, &callback, &data);
    if (status < 0) return status;
    while (callback == Dispatcher(t) && data) {
        auto *link = static_cast<CallbackLink *>(data);
        callback = link->prevCallback;
        data = link->prevCallbackData;
    }
    if (baseCallback) *baseCallback = IsDispatcher(callback) ? nullptr : callback;
    if (baseData) *baseData = data;
    return 0;
}

// The data installed beside the first callback of the chain that is not the dispatcher.
int GetBaseData(Target t, void **baseData) { return GetBase(t, nullptr, baseData); }

// ---- The operations, for controls and panels alike ----

int Chain(Target t, void *callback, void *callbackData, const char *type) {
    if (!type) return UIE_NULL_POINTER;
    int held = GetToolboxLock(CALLBACK_CHAIN_LOCK);
    CallbackLink *link = nullptr;
    bool counted = false;
    int status = FindLink(t, type, nullptr);
    if (status == 1) status = UIE_WRONG_ATTRIBUTE;
    if (status < 0) goto done;
    InitCallbackChaining();
    status = AddPanelWithLinkedCallbacks(t.panel);
    if (status < 0) goto done;
    counted = true;
    link = static_cast<CallbackLink *>(RteCalloc(1, sizeof(CallbackLink)));
    if (!link || !(link->type = StrDup(type))) {
        status = UIE_OUT_OF_MEMORY;
        goto done;
    }
    link->signature = LINK_SIGNATURE;
    status = ReadInstalled(t, &link->prevCallback, &link->prevCallbackData);
    if (status < 0) goto done;
    link->callback = callback;
    link->callbackData = callbackData;
    status = Install(t, Dispatcher(t), link);
    if (status < 0) goto done;
    link = nullptr;  // the object's chain owns it now
    status = 0;
done:
    if (link) FreeLink(link);
    if (status < 0 && counted) RemovePanelWithLinkedCallbacks(t.panel);
    if (held) held = ReleaseToolboxLock(CALLBACK_CHAIN_LOCK);
    return status;
}

int GetData(Target t, const char *type, void **callbackData) {
    if (!type || !callbackData) return UIE_NULL_POINTER;
    int held = GetToolboxLock(CALLBACK_CHAIN_LOCK);
    int status;
    if (type[0] == '\0') {
        status = GetBaseData(t, callbackData);
    } else {
        CallbackLink *link = nullptr;
        status = FindLink(t, type, &link);
        if (status == 1) {
            *callbackData = link->callbackData;
            status = 0;
        } else if (status == 0) {
            status = UIE_WRONG_ATTRIBUTE;
        }
    }
    if (held) held = ReleaseToolboxLock(CALLBACK_CHAIN_LOCK);
    return status;
}

int Unchain(Target t, const char *type) {
    int oldBreak = SetBOLE(0);
    int status = UIE_NULL_POINTER;
    if (type) {
        int held = GetToolboxLock(CALLBACK_CHAIN_LOCK);
        void *callback = nullptr, *data = nullptr;
        status = ReadInstalled(t, &callback, &data);
        CallbackLink *newer = nullptr, *match = nullptr;
        while (status >= 0 && callback == Dispatcher(t) && data) {
            auto *link = static_cast<CallbackLink *>(data);
            if (std::strcmp(link->type, type) == 0) {
                match = link;
                break;
            }
            newer = link;
            callback = link->prevCallback;
            data = link->prevCallbackData;
        }
        if (match) {
            if (!newer) {
                status = Install(t, match->prevCallback, match->prevCallbackData);
            } else {
                newer->prevCallback = match->prevCallback;
                newer->prevCallbackData = match->prevCallbackData;
            }
            if (status >= 0) {
                if (TakenOutOfChain(match, nullptr)) FreeLink(match);
                RemovePanelWithLinkedCallbacks(t.panel);
                status = 1;
            }
        } else if (status >= 0) {
            status = 0;
        }
        if (held) held = ReleaseToolboxLock(CALLBACK_CHAIN_LOCK);
    }
    SetBOLE(oldBreak);
    return status;
}

int CallInstalled(Target t, int event, int eventData1, int eventData2, int *callbackResult) {
    int held = GetToolboxLock(CALLBACK_CHAIN_LOCK);
    void *callback = nullptr, *data = nullptr;
    int status = ReadInstalled(t, &callback, &data);
    if (held) held = ReleaseToolboxLock(CALLBACK_CHAIN_LOCK);
    if (status < 0) return status;
    if (!callback) return 0;
    int result = Call(t, callback, data, event, eventData1, eventData2);
    if (callbackResult) *callbackResult = result;
    return 1;
}

// ---- The dispatchers the engine calls ----

int ChainedCtrlCallback(int panel, int control, int event, void *callbackData, int eventData1, int eventData2) {
    return Dispatch({panel, control}, static_cast<CallbackLink *>(callbackData), event, eventData1, eventData2);
}

int ChainedPanelCallback(int panel, int event, void *callbackData, int eventData1, int eventData2) {
    return Dispatch({panel, 0}, static_cast<CallbackLink *>(callbackData), event, eventData1, eventData2);
}

}  // namespace

// ---- Controls ----

extern "C" int ChainCtrlCallback(int panel, int control, CtrlCallbackPtr callback, void *callbackData,
                                 const char *typeName) {
    return Chain({panel, control}, FunctionAddress(callback), callbackData, typeName);
}

extern "C" int GetChainedCallbackData(int panel, int control, const char *typeName, void **callbackData) {
    return GetData({panel, control}, typeName, callbackData);
}

extern "C" int UnchainCtrlCallback(int panel, int control, const char *typeName) {
    return Unchain({panel, control}, typeName);
}

extern "C" int CallCtrlCallback(int panel, int control, int event, int eventData1, int eventData2,
                                int *callbackResult) {
    return CallInstalled({panel, control}, event, eventData1, eventData2, callbackResult);
}

// ---- Panels ----

extern "C" int ChainPanelCallback(int panel, PanelCallbackPtr callback, void *callbackData, const char *typeName) {
    return Chain({panel, 0}, FunctionAddress(callback), callbackData, typeName);
}

extern "C" int GetChainedPanelCallbackData(int panel, const char *typeName, void **callbackData) {
    return GetData({panel, 0}, typeName, callbackData);
}

int GetBasePanelCallback(int panel, PanelCallbackPtr *callback) {
    int held = GetToolboxLock(CALLBACK_CHAIN_LOCK);
    void *base = nullptr;
    int status = GetBase({panel, 0}, &base, nullptr);
    if (held) ReleaseToolboxLock(CALLBACK_CHAIN_LOCK);
    if (status == 0) *callback = reinterpret_cast<PanelCallbackPtr>(base);
    return status;
}

extern "C" int UnchainPanelCallback(int panel, const char *typeName) { return Unchain({panel, 0}, typeName); }

extern "C" int CallPanelCallback(int panel, int event, int eventData1, int eventData2, int *callbackResult) {
    return CallInstalled({panel, 0}, event, eventData1, eventData2, callbackResult);
}

// ---- The base callback (callback_base_internal.h) ----

namespace {

// Replaces the function of the pair at the end of the chain: the oldest link's previous pair,
// or the object's own attributes when it has no links.
int SetBase(Target t, void *callback) {
    int held = GetToolboxLock(CALLBACK_CHAIN_LOCK);
    void *installed = nullptr, *data = nullptr;
    int status = ReadInstalled(t, &installed, &data);
    CallbackLink *oldest = nullptr;
    while (status >= 0 && installed == Dispatcher(t) && data) {
        oldest = static_cast<CallbackLink *>(data);
        installed = oldest->prevCallback;
        data = oldest->prevCallbackData;
    }
    if (status >= 0 && oldest) oldest->prevCallback = callback;
    else if (status >= 0) status = Install(t, callback, data);
    if (held) held = ReleaseToolboxLock(CALLBACK_CHAIN_LOCK);
    return status < 0 ? status : 0;
}

}  // namespace

extern "C" int SetBaseCtrlCallback(int panel, int control, CtrlCallbackPtr callback) {
    return SetBase({panel, control}, FunctionAddress(callback));
}

extern "C" int SetBasePanelCallback(int panel, PanelCallbackPtr callback) {
    return SetBase({panel, 0}, FunctionAddress(callback));
}
