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
// Links are shared by threads: any thread may chain, unchain, look up and call, events arrive on
// the panel's own thread, and a discard, which takes every link of its object out, runs on the
// thread that discards. The chain lock keeps one story for all of them, and is never held while
// a callback runs. It is a mutex of chaining's own rather than the engine lock
// CALLBACK_CHAIN_LOCK: the dispatchers take it around every callback they call, and an engine
// lock costs several times as much to take. Under it live:
// - the callback attributes of objects with links, and every field of every link;
// - inChain: a link is reachable from its object's attributes exactly while it is set, and is
//   then in the list of chained links;
// - the dispatches in progress, of every thread, each holding the one link it is at.
// A link taken out of its chain (unchained, or passed by EVENT_DISCARD) is freed when no
// dispatch holds it any more, and only on its panel's own thread: the engine reads an object's
// callback and data and then enters the dispatcher, and on the panel's thread nothing of ours
// runs between the two. A link let go by another thread waits in the retired list for a
// deferred call on its thread (at once when that thread has ended).
//
// A dispatch walks the chain newest first. After each callback it reads the link's previous
// pair afresh, so the event goes on to whatever is chained behind it now. It goes no further
// once the object was discarded meanwhile: a discard through the chain marks every other
// dispatch of the object, and a link that left the chain goes on only while its previous pair
// is still part of its object's chain (an object discarded past the chain has no chain at all).
// While a link is out of the chain but held, its previous pair is kept current when the link
// behind it goes or the base callback is replaced.
//
// A link chained from another thread in the instant between its object's discard passing the
// chain and the engine removing the object never sees EVENT_DISCARD; the list of chained links
// keeps it, and the exit clean-up frees it (FreeStrayLinks).
#include "toolbox/ui/callback_chain.h"
#include "toolbox/ui/callback_base_internal.h"

#include "rte/alloc.h"
#include "rte/engine.h"
#include "toolbox/core/errors.h"
#include "toolbox/text/strings.h"
#include "toolbox/ui/callback_chain_internal.h"
#include "toolbox/ui/linked_panels_internal.h"
#include "toolbox/ui/panel_thread_internal.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

const uint32_t LINK_SIGNATURE = 0x4C494E4B;  // "LINK", stored at creation, read by nothing

// A control, or the panel itself when control is 0 (control IDs are positive).
struct Target {
    int panel;
    int control;
};

struct CallbackLink {
    uint32_t signature;
    char *type;              // the link's own copy of its type name
    void *callbackData;
    void *callback;          // CtrlCallbackPtr or PanelCallbackPtr; may be NULL
    void *prevCallbackData;  // the pair installed when this link was chained
    void *prevCallback;
    bool inChain;            // reachable from its object's attributes
    Target target;           // its object
    unsigned owner;          // the panel's thread, the one that frees the link
    CallbackLink *prevChained, *nextChained;  // the list of chained links, while inChain
    bool retired;                             // in the retired list
    CallbackLink *nextRetired;
};

bool Same(Target a, Target b) { return a.panel == b.panel && a.control == b.control; }

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

// The chain lock, given up around callbacks.
std::mutex g_chainLock;
struct ChainLock {
    std::unique_lock<std::mutex> hold{g_chainLock};
    void Unlock() { hold.unlock(); }
    void Lock() { hold.lock(); }
};

// ---- Dispatches in progress, of every thread (under the lock) ----

struct Dispatch {
    Target target;
    int event;
    CallbackLink *link;  // the link it is at; NULL once past the links
    bool discarded;      // the object was discarded by another dispatch meanwhile
    Dispatch *prev, *next;
};

Dispatch g_dispatches = {{0, 0}, 0, nullptr, false, &g_dispatches, &g_dispatches};  // the list's head

void Enter(Dispatch *d) {
    d->next = g_dispatches.next;
    d->prev = &g_dispatches;
    g_dispatches.next->prev = d;
    g_dispatches.next = d;
}

void Leave(Dispatch *d) {
    d->prev->next = d->next;
    d->next->prev = d->prev;
}

bool Held(const CallbackLink *link) {
    for (Dispatch *d = g_dispatches.next; d != &g_dispatches; d = d->next)
        if (d->link == link) return true;
    return false;
}

// The object is being discarded: its (or its panel's) EVENT_DISCARD is travelling a chain.
bool BeingDiscarded(Target t) {
    for (Dispatch *d = g_dispatches.next; d != &g_dispatches; d = d->next) {
        if (d->event == EVENT_DISCARD && (Same(d->target, t) || Same(d->target, {t.panel, 0}))) return true;
    }
    return false;
}

// Every dispatch of the object but `discarding` ends after its current callback.
void MarkDiscarded(Target t, const Dispatch *discarding) {
    for (Dispatch *d = g_dispatches.next; d != &g_dispatches; d = d->next)
        if (d != discarding && Same(d->target, t)) d->discarded = true;
}

// Links of the object that are out of the chain but held, and lead to the pair `from`, lead to
// the pair `to` from now on.
void Retarget(Target t, void *fromCallback, void *fromData, void *toCallback, void *toData) {
    for (Dispatch *d = g_dispatches.next; d != &g_dispatches; d = d->next) {
        CallbackLink *held = d->link;
        if (held && !held->inChain && Same(d->target, t) && held->prevCallback == fromCallback &&
            held->prevCallbackData == fromData) {
            held->prevCallback = toCallback;
            held->prevCallbackData = toData;
        }
    }
}

// ---- Chained links (under the lock) ----

CallbackLink g_chained = {0, nullptr, nullptr, nullptr, nullptr, nullptr, false, {0, 0}, 0,
                          &g_chained, &g_chained, false, nullptr};  // the list's head

void PutInChain(CallbackLink *link) {
    link->inChain = true;
    link->nextChained = g_chained.nextChained;
    link->prevChained = &g_chained;
    g_chained.nextChained->prevChained = link;
    g_chained.nextChained = link;
}

void TakeOutOfList(CallbackLink *link) {
    link->inChain = false;
    link->prevChained->nextChained = link->nextChained;
    link->nextChained->prevChained = link->prevChained;
}

// ---- Freeing links on their own thread (under the lock) ----

CallbackLink *g_retired = nullptr;  // let go by another thread, waiting for their own

// Frees the retired links of the thread that no dispatch holds, or the one link given.
void FreeRetired(unsigned thread, CallbackLink *only = nullptr) {
    for (CallbackLink **p = &g_retired; *p;) {
        CallbackLink *link = *p;
        if (only ? link == only : link->owner == thread && !Held(link)) {
            *p = link->nextRetired;
            FreeLink(link);
        } else {
            p = &link->nextRetired;
        }
    }
}

// The link has left its chain, or a dispatch has let go of it: frees it when nothing holds it
// any more. Returns the thread that is to free it later (WakeOwner, after unlocking), or 0. A
// retired link may still be let go of again: its own thread may have been handed it by the
// engine before it left the chain.
unsigned LetGo(CallbackLink *link) {
    if (link->inChain || Held(link)) return 0;
    unsigned me = CurrThreadId();
    if (link->owner != me && link->owner != 0) {
        if (!link->retired) {
            link->retired = true;
            link->nextRetired = g_retired;
            g_retired = link;
        }
        return link->owner;
    }
    if (link->retired) FreeRetired(me, link);
    else FreeLink(link);
    if (g_retired) FreeRetired(me);
    return 0;
}

void SweepRetired(void *) {
    ChainLock lock;
    FreeRetired(CurrThreadId());
}

// Has the thread free what it was left (after the lock is given up). A thread that has ended
// dispatches nothing more: its links go at once. Without memory for the call they wait for the
// thread's next sweep.
void WakeOwner(unsigned thread) {
    if (thread == 0) return;
    int oldBreak = SetBOLE(0);
    int posted = PostDeferredCallToThread(SweepRetired, nullptr, thread);
    SetBOLE(oldBreak);
    if (posted == UIE_NO_SUCH_THREAD) {
        ChainLock lock;
        FreeRetired(thread);
    }
}

// ---- Finding links (under the lock) ----

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

// Whether the pair is part of the object's chain: one of its links, or its base. False for an
// object that no longer exists (asked quietly).
bool ChainHolds(Target t, void *callback, void *data) {
    void *installed = nullptr, *installedData = nullptr;
    int oldBreak = SetBOLE(0);
    int status = ReadInstalled(t, &installed, &installedData);
    SetBOLE(oldBreak);
    if (status < 0) return false;
    for (;;) {
        if (installed == callback && installedData == data) return true;
        if (installed != Dispatcher(t) || !installedData) return false;
        auto *link = static_cast<CallbackLink *>(installedData);
        installed = link->prevCallback;
        installedData = link->prevCallbackData;
    }
}

// Takes a link out of its object's chain: its newer neighbour, or the object itself when it is
// the newest, gets its previous pair. 0, or the engine's code when the object's callback cannot
// be installed (the link stays then).
int TakeOut(Target t, CallbackLink *link) {
    void *callback = nullptr, *data = nullptr;
    int status = ReadInstalled(t, &callback, &data);
    CallbackLink *newer = nullptr;
    while (status >= 0 && callback == Dispatcher(t) && data && data != link) {
        newer = static_cast<CallbackLink *>(data);
        callback = newer->prevCallback;
        data = newer->prevCallbackData;
    }
    if (newer && data == link) {
        newer->prevCallback = link->prevCallback;
        newer->prevCallbackData = link->prevCallbackData;
    } else if (status >= 0 && data == link) {
        status = Install(t, link->prevCallback, link->prevCallbackData);
        if (status < 0) return status;
    }
    // Not found (the object has gone, or its callback was replaced over the chain): the link is
    // out of reach already.
    TakeOutOfList(link);
    Retarget(t, Dispatcher(t), link, link->prevCallback, link->prevCallbackData);
    RemovePanelWithLinkedCallbacks(t.panel);
    return 0;
}

// ---- Dispatching ----

// Passes the event down the chain from the dispatch's link (entered, under the lock held by
// `lock`). Returns the result of the last callback called.
int Walk(ChainLock &lock, Dispatch *d, int eventData1, int eventData2) {
    Target t = d->target;
    int event = d->event;
    int result = 0;
    unsigned wake = 0;
    for (;;) {
        CallbackLink *link = d->link;
        void *callback = nullptr, *callbackData = nullptr;
        // A link that left the chain before its turn is not called: whoever took it out may
        // have freed its data.
        if (link->inChain) {
            if (event == EVENT_DISCARD) {
                // The object's attributes show the rest of the chain before anyone is called,
                // and every other dispatch of the object stops after its current callback.
                TakeOut(t, link);
                MarkDiscarded(t, d);
            }
            callback = link->callback;
            callbackData = link->callbackData;
        }
        lock.Unlock();
        result = callback ? Call(t, callback, callbackData, event, eventData1, eventData2) : 0;
        if (event == EVENT_DISCARD) result = 0;  // every link and the base callback see it
        lock.Lock();
        // Read after the callback: it may have changed the chain behind this link.
        void *prev = link->prevCallback;
        void *prevData = link->prevCallbackData;
        bool goOn = result == 0 && prev && !d->discarded && (link->inChain || ChainHolds(t, prev, prevData));
        d->link = goOn && IsDispatcher(prev) && prevData ? static_cast<CallbackLink *>(prevData) : nullptr;
        if (unsigned owner = LetGo(link)) wake = owner;
        if (!goOn) break;
        if (d->link) continue;
        // The base callback. A discard stays listed while it runs, so that its handler cannot
        // chain onto the object; any other event is done with the links.
        if (event != EVENT_DISCARD) Leave(d);
        lock.Unlock();
        result = Call(t, prev, prevData, event, eventData1, eventData2);
        if (event != EVENT_DISCARD) {
            WakeOwner(wake);
            return result;
        }
        lock.Lock();
        break;
    }
    Leave(d);
    lock.Unlock();
    WakeOwner(wake);
    return result;
}

// Whether a link is one the chain knows (chained, or retired and waiting for its thread), without
// reading it.
bool Known(const CallbackLink *link) {
    for (const CallbackLink *l = g_chained.nextChained; l != &g_chained; l = l->nextChained) {
        if (l == link) return true;
    }
    for (const CallbackLink *l = g_retired; l; l = l->nextRetired) {
        if (l == link) return true;
    }
    return false;
}

// The engine reads an object's callback pair, then calls the dispatcher with the link it read.
// Other threads may change the chain in between: a link they unchain leaves its previous pair
// as it was when it went, and that pair may leave too, so a walk from the link read would end
// early and the rest of the chain would miss the event (a discard missed frees nothing). So the
// walk starts from the pair installed now, read under the lock, and the link read is only a
// hint. Only when the object's attributes cannot be read (it is going) does the walk start
// from that link: on the panel's own thread it is still allocated (links are freed on their
// panel's thread, and nothing of ours ran since the engine read it); on another thread (CloseRTE
// discarding every thread's panels) the owner may have freed it, and a link the chain no longer
// knows is not read.
int DispatchFrom(Target t, CallbackLink *link, int event, int eventData1, int eventData2) {
    ChainLock lock;
    void *callback = nullptr, *data = nullptr;
    int oldBreak = SetBOLE(0);
    int status = ReadInstalled(t, &callback, &data);
    SetBOLE(oldBreak);
    if (status >= 0) {
        if (!callback) return 0;
        if (callback != Dispatcher(t) || !data) {
            lock.Unlock();
            return Call(t, callback, data, event, eventData1, eventData2);
        }
        link = static_cast<CallbackLink *>(data);  // installed under the lock: alive while it is held
    } else if (!toolbox::internal::OnPanelThread(t.panel) && !Known(link)) {
        return 0;
    }
    Dispatch d = {t, event, link, false, nullptr, nullptr};
    Enter(&d);
    return Walk(lock, &d, eventData1, eventData2);
}

// ---- The operations, for controls and panels alike ----

int Chain(Target t, void *callback, void *callbackData, const char *type) {
    if (!type) return UIE_NULL_POINTER;
    ChainLock lock;
    CallbackLink *link = nullptr;
    bool counted = false;
    int owner = 0;
    int status = FindLink(t, type, nullptr);
    if (status == 1) status = UIE_WRONG_ATTRIBUTE;
    // An object whose EVENT_DISCARD is under way would never pass it to a new link.
    if (status == 0 && BeingDiscarded(t)) status = t.control ? UIE_BAD_CONTROL : UIE_BAD_PANEL;
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
    GetPanelAttribute(t.panel, ATTR_OWNER_THREAD_ID, &owner);
    link->owner = static_cast<unsigned>(owner);
    link->target = t;
    link->callback = callback;
    link->callbackData = callbackData;
    status = Install(t, Dispatcher(t), link);
    if (status < 0) goto done;
    PutInChain(link);
    link = nullptr;  // the object's chain owns it now
    status = 0;
done:
    if (link) FreeLink(link);
    if (status < 0 && counted) RemovePanelWithLinkedCallbacks(t.panel);
    return status;
}

int GetData(Target t, const char *type, void **callbackData) {
    if (!type || !callbackData) return UIE_NULL_POINTER;
    ChainLock lock;
    if (type[0] == '\0') return GetBase(t, nullptr, callbackData);
    CallbackLink *link = nullptr;
    int status = FindLink(t, type, &link);
    if (status == 1) {
        *callbackData = link->callbackData;
        return 0;
    }
    return status == 0 ? UIE_WRONG_ATTRIBUTE : status;
}

int Unchain(Target t, const char *type) {
    int oldBreak = SetBOLE(0);
    int status = UIE_NULL_POINTER;
    unsigned wake = 0;
    if (type) {
        ChainLock lock;
        CallbackLink *match = nullptr;
        status = FindLink(t, type, &match);
        if (status == 1 && (status = TakeOut(t, match)) == 0) {
            wake = LetGo(match);
            status = 1;
        }
    }
    WakeOwner(wake);
    SetBOLE(oldBreak);
    return status;
}

int CallInstalled(Target t, int event, int eventData1, int eventData2, int *callbackResult) {
    ChainLock lock;
    void *callback = nullptr, *data = nullptr;
    int status = ReadInstalled(t, &callback, &data);
    if (status < 0) return status;
    if (!callback) return 0;
    int result;
    if (callback == Dispatcher(t) && data) {
        // The link is held from here, before the lock is given up.
        Dispatch d = {t, event, static_cast<CallbackLink *>(data), false, nullptr, nullptr};
        Enter(&d);
        result = Walk(lock, &d, eventData1, eventData2);
    } else {
        lock.Unlock();
        result = Call(t, callback, data, event, eventData1, eventData2);
    }
    if (callbackResult) *callbackResult = result;
    return 1;
}

// ---- The dispatchers the engine calls ----

int ChainedCtrlCallback(int panel, int control, int event, void *callbackData, int eventData1, int eventData2) {
    return DispatchFrom({panel, control}, static_cast<CallbackLink *>(callbackData), event, eventData1, eventData2);
}

int ChainedPanelCallback(int panel, int event, void *callbackData, int eventData1, int eventData2) {
    return DispatchFrom({panel, 0}, static_cast<CallbackLink *>(callbackData), event, eventData1, eventData2);
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
    ChainLock lock;
    void *base = nullptr;
    int status = GetBase({panel, 0}, &base, nullptr);
    if (status == 0) *callback = reinterpret_cast<PanelCallbackPtr>(base);
    return status;
}

extern "C" int UnchainPanelCallback(int panel, const char *typeName) { return Unchain({panel, 0}, typeName); }

extern "C" int CallPanelCallback(int panel, int event, int eventData1, int eventData2, int *callbackResult) {
    return CallInstalled({panel, 0}, event, eventData1, eventData2, callbackResult);
}

// ---- Links their objects lost (callback_chain_internal.h) ----

void FreeStrayLinks(void) {
    unsigned wake = 0;
    {
        ChainLock lock;
        for (CallbackLink *link = g_chained.nextChained, *next; link != &g_chained; link = next) {
            next = link->nextChained;
            if (ChainHolds(link->target, Dispatcher(link->target), link)) continue;
            TakeOutOfList(link);
            RemovePanelWithLinkedCallbacks(link->target.panel);
            if (unsigned owner = LetGo(link)) wake = owner;
            if (wake) {
                lock.Unlock();
                WakeOwner(wake);
                lock.Lock();
                wake = 0;
                next = g_chained.nextChained;  // the list may have changed meanwhile
            }
        }
    }
    // Retired links wait for their own thread's sweep. A thread that ended after its sweep was
    // asked for (or could not be asked, the engine being closed) sweeps no more: its links are
    // freed here; a thread still running is asked again.
    std::vector<unsigned> owners;
    {
        ChainLock lock;
        for (const CallbackLink *l = g_retired; l; l = l->nextRetired) {
            if (std::find(owners.begin(), owners.end(), l->owner) == owners.end()) owners.push_back(l->owner);
        }
    }
    for (unsigned owner : owners) WakeOwner(owner);
}

// ---- The base callback (callback_base_internal.h) ----

namespace {

// Replaces the function of the pair at the end of the chain: the oldest link's previous pair,
// or the object's own attributes when it has no links. Held links out of the chain that led to
// the old base lead to the new one.
int SetBase(Target t, void *callback) {
    ChainLock lock;
    void *installed = nullptr, *data = nullptr;
    int status = ReadInstalled(t, &installed, &data);
    if (status < 0) return status;
    CallbackLink *oldest = nullptr;
    while (installed == Dispatcher(t) && data) {
        oldest = static_cast<CallbackLink *>(data);
        installed = oldest->prevCallback;
        data = oldest->prevCallbackData;
    }
    if (oldest) oldest->prevCallback = callback;
    else if ((status = Install(t, callback, data)) < 0) return status;
    Retarget(t, installed, data, callback, data);
    return 0;
}

}  // namespace

extern "C" int SetBaseCtrlCallback(int panel, int control, CtrlCallbackPtr callback) {
    return SetBase({panel, control}, FunctionAddress(callback));
}

extern "C" int SetBasePanelCallback(int panel, PanelCallbackPtr callback) {
    return SetBase({panel, 0}, FunctionAddress(callback));
}
