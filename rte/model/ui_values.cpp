// rte/model/ui_values.cpp - control values (GetCtrlVal/SetCtrlVal) and the items of list controls.
//
// Numbers are kept as double and converted at the boundary by the control's data type; the
// variadic value arrives promoted (int for the integer types, double for float and double,
// const char * for strings).
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "rte/ui.h"
#include "rte/model/labels.h"
#include "rte/model/layout.h"
#include "rte/model/list_format.h"
#include "rte/model/ui_model.h"

namespace rte::internal {
namespace {

struct TypedValue {
    double number = 0;
    const char *text = nullptr;
};

TypedValue ReadValue(int dataType, va_list *args) {
    TypedValue v;
    switch (dataType) {
    case VAL_STRING: v.text = va_arg(*args, const char *); break;
    case VAL_FLOAT: case VAL_DOUBLE: v.number = va_arg(*args, double); break;
    case VAL_UNSIGNED_INTEGER: v.number = va_arg(*args, unsigned int); break;
    default: v.number = va_arg(*args, int); break;
    }
    return v;
}

void WriteNumber(void *out, int dataType, double v) {
    switch (dataType) {
    case VAL_CHAR: *static_cast<signed char *>(out) = static_cast<signed char>(v); break;
    case VAL_SHORT: *static_cast<short *>(out) = static_cast<short>(v); break;
    case VAL_FLOAT: *static_cast<float *>(out) = static_cast<float>(v); break;
    case VAL_DOUBLE: *static_cast<double *>(out) = v; break;
    case VAL_UNSIGNED_SHORT: *static_cast<unsigned short *>(out) = static_cast<unsigned short>(v); break;
    case VAL_UNSIGNED_INTEGER: *static_cast<unsigned *>(out) = static_cast<unsigned>(v); break;
    case VAL_UNSIGNED_CHAR: *static_cast<unsigned char *>(out) = static_cast<unsigned char>(v); break;
    default: *static_cast<int *>(out) = static_cast<int>(v); break;
    }
}

// The range a data type can hold.
void TypeRange(int dataType, double *lo, double *hi) {
    switch (dataType) {
    case VAL_CHAR: *lo = SCHAR_MIN; *hi = SCHAR_MAX; break;
    case VAL_SHORT: *lo = SHRT_MIN; *hi = SHRT_MAX; break;
    case VAL_FLOAT: *lo = -FLT_MAX; *hi = FLT_MAX; break;
    case VAL_DOUBLE: *lo = -DBL_MAX; *hi = DBL_MAX; break;
    case VAL_UNSIGNED_SHORT: *lo = 0; *hi = USHRT_MAX; break;
    case VAL_UNSIGNED_INTEGER: *lo = 0; *hi = UINT_MAX; break;
    case VAL_UNSIGNED_CHAR: *lo = 0; *hi = UCHAR_MAX; break;
    default: *lo = INT_MIN; *hi = INT_MAX; break;
    }
}

double CoerceToType(int dataType, double v) {
    double lo, hi;
    TypeRange(dataType, &lo, &hi);
    if (std::isnan(v)) return 0;
    if (dataType != VAL_FLOAT && dataType != VAL_DOUBLE) v = std::round(v);
    return v < lo ? lo : (v > hi ? hi : v);
}

std::string NumberText(int dataType, double v) {
    char buf[64];
    if (dataType == VAL_FLOAT || dataType == VAL_DOUBLE) std::snprintf(buf, sizeof buf, "%.15g", v);
    else std::snprintf(buf, sizeof buf, "%.0f", v);
    return buf;
}

// Looks up panel and control for a public function; on failure returns the code.
int Lookup(int panel, int control, Panel **p, Control **c) {
    *p = FindPanel(panel);
    if (*p == nullptr) return UIE_BAD_PANEL;
    *c = FindControl(*p, control);
    if (*c == nullptr) return UIE_BAD_CONTROL;
    return 0;
}

int LookupList(int panel, int control, Control **c) {
    Panel *p = nullptr;
    int rc = Lookup(panel, control, &p, c);
    if (rc < 0) return rc;
    return IsListStyle((*c)->style) ? 0 : UIE_NOT_LIST_CONTROL;
}

// Fills an item's value from a typed value.
int StoreItemValue(const Control &c, ListItem &item, const TypedValue &v) {
    if (c.dataType == VAL_STRING) {
        if (v.text == nullptr) return UIE_NULL_POINTER;
        item.text = v.text;
    } else {
        item.number = CoerceToType(c.dataType, v.number);
    }
    return 0;
}

void WriteItemValue(const Control &c, const ListItem &item, void *out) {
    if (c.dataType == VAL_STRING) std::memcpy(out, item.text.c_str(), item.text.size() + 1);
    else WriteNumber(out, c.dataType, item.number);
}

bool ItemHasValue(const Control &c, const ListItem &item, const TypedValue &v) {
    if (c.dataType == VAL_STRING) return v.text != nullptr && item.text == v.text;
    return item.number == CoerceToType(c.dataType, v.number);
}

}  // namespace

double CoerceNumber(const Control &c, double value) {
    value = CoerceToType(c.dataType, value);
    if (IsNumericStyle(c.style) || c.style == CTRL_TOGGLE_BUTTON || c.style == CTRL_PICTURE_TOGGLE_BUTTON) {
        if (value < c.minValue) value = c.minValue;
        if (value > c.maxValue) value = c.maxValue;
    }
    return value;
}

std::string ValueAsText(const Control &c) {
    if (IsStringStyle(c.style)) return c.text;
    if (IsListStyle(c.style)) return c.index >= 0 ? VisibleListText(c.items[static_cast<size_t>(c.index)].label) : "";
    if (c.style == CTRL_COLOR_NUMERIC) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(c.number));
        return buf;
    }
    if (HasValue(c.style)) return NumberText(c.dataType, c.number);
    return c.style == CTRL_TIMER ? "" : c.label;
}

int SetValueFromText(Control &c, const std::string &text) {
    NoteModelChange();
    if (IsStringStyle(c.style)) {
        if (c.style != CTRL_TEXT_MSG) {
            c.text = text;
            return 0;
        }
        std::string label = text;  // both copies are made before either changes
        c.text = text;
        c.label = std::move(label);
        RelabelAfterResize(c);
        return 0;
    }
    if (!IsNumericStyle(c.style)) return UIE_WRONG_ATTRIBUTE;
    const char *start = text.c_str();
    char *end = nullptr;
    double v = std::strtod(start, &end);
    while (end != nullptr && (*end == ' ' || *end == '\t')) ++end;
    if (end == start || end == nullptr || *end != '\0' || std::isnan(v)) return UIE_BAD_VALUE;
    c.number = CoerceNumber(c, v);
    return 0;
}

std::string CtrlValueText(int panel, int control) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = FindControl(FindPanel(panel), control);
    return c == nullptr ? std::string() : ValueAsText(*c);
}

bool IsListCtrl(int panel, int control) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = FindControl(FindPanel(panel), control);
    return c != nullptr && IsListStyle(c->style);
}

std::vector<std::string> CtrlItemLabels(int panel, int control) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    std::vector<std::string> out;
    if (Control *c = FindControl(FindPanel(panel), control)) {
        for (auto &item : c->items) out.push_back(VisibleListText(item.label));
    }
    return out;
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" int SetCtrlVal(int panel, int control, ...) {
    // Counted as a change only when the value changes: a value set again draws nothing.
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = nullptr;
    Control *c = nullptr;
    int rc = Lookup(panel, control, &p, &c);
    if (rc < 0) return Fail("SetCtrlVal", rc);
    if (!HasValue(c->style)) return Fail("SetCtrlVal", UIE_NO_VALUE);
    va_list args;
    va_start(args, control);
    TypedValue v = ReadValue(c->dataType, &args);
    va_end(args);
    if (IsListStyle(c->style)) {
        if (c->items.empty()) return Fail("SetCtrlVal", UIE_LIST_EMPTY);
        for (size_t i = 0; i < c->items.size(); ++i) {
            if (ItemHasValue(*c, c->items[i], v)) {
                if (c->index != static_cast<int>(i)) NoteModelChange();
                c->index = static_cast<int>(i);
                ScrollListTo(p->view, *c, c->index);
                return 0;
            }
        }
        return Fail("SetCtrlVal", v.text == nullptr && c->dataType == VAL_STRING ? UIE_NULL_POINTER : UIE_BAD_VALUE);
    }
    if (c->dataType == VAL_STRING) {
        if (v.text == nullptr) return Fail("SetCtrlVal", UIE_NULL_POINTER);
        if (c->text == v.text) return 0;  // unchanged: nothing to redraw
        try {
            SetValueFromText(*c, v.text);
        } catch (const std::bad_alloc &) {
            return Fail("SetCtrlVal", UIE_OUT_OF_MEMORY);
        }
        return 0;
    }
    if (c->style == CTRL_COLOR_NUMERIC && (v.number < 0 || v.number > 0xFFFFFF)) return Fail("SetCtrlVal", UIE_BAD_VALUE);
    if (c->style == CTRL_TOGGLE_BUTTON || c->style == CTRL_PICTURE_TOGGLE_BUTTON) v.number = v.number != 0;
    if (p->view.numericCtrl == control) {
        // The program's value replaces what the operator was typing, which would otherwise
        // overwrite it when the focus leaves; the next key starts from the new value.
        p->view.numericCtrl = 0;
        p->view.editCtrl = 0;
    }
    double number = CoerceNumber(*c, v.number);
    if (number != c->number) NoteModelChange();  // unchanged: nothing to redraw
    c->number = number;
    return 0;
}

extern "C" int GetCtrlVal(int panel, int control, void *value) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = nullptr;
    Control *c = nullptr;
    int rc = Lookup(panel, control, &p, &c);
    if (rc < 0) return Fail("GetCtrlVal", rc);
    if (!HasValue(c->style)) return Fail("GetCtrlVal", UIE_NO_VALUE);
    if (value == nullptr) return Fail("GetCtrlVal", UIE_NULL_POINTER);
    if (IsListStyle(c->style)) {
        if (c->index < 0) return Fail("GetCtrlVal", UIE_LIST_EMPTY);
        WriteItemValue(*c, c->items[static_cast<size_t>(c->index)], value);
    } else if (c->dataType == VAL_STRING) {
        std::memcpy(value, c->text.c_str(), c->text.size() + 1);
    } else {
        WriteNumber(value, c->dataType, c->number);
    }
    return 0;
}

extern "C" int ClearListCtrl(int panel, int control) {
    NoteModelChange();
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = nullptr;
    int rc = LookupList(panel, control, &c);
    if (rc < 0) return Fail("ClearListCtrl", rc);
    c->items.clear();
    c->index = -1;
    FindPanel(panel)->view.listTop.erase(control);
    return 0;
}

extern "C" int InsertListItem(int panel, int control, int index, const char *label, ...) {
    NoteModelChange();
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = nullptr;
    int rc = LookupList(panel, control, &c);
    if (rc < 0) return Fail("InsertListItem", rc);
    if (label == nullptr) return Fail("InsertListItem", UIE_NULL_POINTER);
    int count = static_cast<int>(c->items.size());
    if (index == -1) index = count;
    if (index < 0 || index > count) return Fail("InsertListItem", UIE_INDEX_OUT_OF_RANGE);
    va_list args;
    va_start(args, label);
    TypedValue v = ReadValue(c->dataType, &args);
    va_end(args);
    try {
        ListItem item;
        item.label = label;
        rc = StoreItemValue(*c, item, v);
        if (rc < 0) return Fail("InsertListItem", rc);
        c->items.insert(c->items.begin() + index, std::move(item));
    } catch (const std::bad_alloc &) {
        return Fail("InsertListItem", UIE_OUT_OF_MEMORY);
    }
    if (c->index < 0) c->index = 0;
    else if (index <= c->index) ++c->index;  // the selection stays on the same item
    // An item added while the operator looks on comes into sight; a list filled before its
    // panel is shown opens at its selection.
    Panel *p = FindPanel(panel);
    if (p->visible) ScrollListTo(p->view, *c, index);
    return 0;
}

extern "C" int ReplaceListItem(int panel, int control, int index, const char *label, ...) {
    NoteModelChange();
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = nullptr;
    int rc = LookupList(panel, control, &c);
    if (rc < 0) return Fail("ReplaceListItem", rc);
    if (index < 0 || index >= static_cast<int>(c->items.size())) return Fail("ReplaceListItem", UIE_INDEX_OUT_OF_RANGE);
    va_list args;
    va_start(args, label);
    TypedValue v = ReadValue(c->dataType, &args);
    va_end(args);
    try {
        ListItem item = c->items[static_cast<size_t>(index)];
        if (label != nullptr) item.label = label;
        rc = StoreItemValue(*c, item, v);
        if (rc < 0) return Fail("ReplaceListItem", rc);
        c->items[static_cast<size_t>(index)] = std::move(item);
    } catch (const std::bad_alloc &) {
        return Fail("ReplaceListItem", UIE_OUT_OF_MEMORY);
    }
    return 0;
}

extern "C" int DeleteListItem(int panel, int control, int index, int count) {
    NoteModelChange();
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = nullptr;
    int rc = LookupList(panel, control, &c);
    if (rc < 0) return Fail("DeleteListItem", rc);
    int n = static_cast<int>(c->items.size());
    if (index < 0 || index >= n) return Fail("DeleteListItem", UIE_INDEX_OUT_OF_RANGE);
    if (count == -1 || count > n - index) count = n - index;
    if (count < 0) return Fail("DeleteListItem", UIE_BAD_VALUE);
    c->items.erase(c->items.begin() + index, c->items.begin() + index + count);
    n -= count;
    if (c->index >= index + count) c->index -= count;
    else if (c->index >= index) c->index = index < n ? index : n - 1;
    return 0;
}

extern "C" int GetNumListItems(int panel, int control, int *count) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = nullptr;
    int rc = LookupList(panel, control, &c);
    if (rc < 0) return Fail("GetNumListItems", rc);
    if (count == nullptr) return Fail("GetNumListItems", UIE_NULL_POINTER);
    *count = static_cast<int>(c->items.size());
    return 0;
}

extern "C" int GetCtrlIndex(int panel, int control, int *index) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = nullptr;
    int rc = LookupList(panel, control, &c);
    if (rc < 0) return Fail("GetCtrlIndex", rc);
    if (index == nullptr) return Fail("GetCtrlIndex", UIE_NULL_POINTER);
    *index = c->index;
    return 0;
}

extern "C" int SetCtrlIndex(int panel, int control, int index) {
    NoteModelChange();
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = nullptr;
    int rc = LookupList(panel, control, &c);
    if (rc < 0) return Fail("SetCtrlIndex", rc);
    if (index < 0 || index >= static_cast<int>(c->items.size())) return Fail("SetCtrlIndex", UIE_INDEX_OUT_OF_RANGE);
    c->index = index;
    ScrollListTo(FindPanel(panel)->view, *c, index);
    return 0;
}

// Shared checks of the ...FromIndex functions.
static int ItemAt(const char *function, int panel, int control, int index, const void *out, Control **c) {
    int rc = LookupList(panel, control, c);
    if (rc < 0) return Fail(function, rc);
    if (out == nullptr) return Fail(function, UIE_NULL_POINTER);
    if (index < 0 || index >= static_cast<int>((*c)->items.size())) return Fail(function, UIE_INDEX_OUT_OF_RANGE);
    return 0;
}

extern "C" int GetValueFromIndex(int panel, int control, int index, void *value) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = nullptr;
    int rc = ItemAt("GetValueFromIndex", panel, control, index, value, &c);
    if (rc < 0) return rc;
    WriteItemValue(*c, c->items[static_cast<size_t>(index)], value);
    return 0;
}

extern "C" int GetLabelFromIndex(int panel, int control, int index, char *label) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = nullptr;
    int rc = ItemAt("GetLabelFromIndex", panel, control, index, label, &c);
    if (rc < 0) return rc;
    const std::string &text = c->items[static_cast<size_t>(index)].label;
    std::memcpy(label, text.c_str(), text.size() + 1);
    return 0;
}

extern "C" int GetLabelLengthFromIndex(int panel, int control, int index, int *length) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = nullptr;
    int rc = ItemAt("GetLabelLengthFromIndex", panel, control, index, length, &c);
    if (rc < 0) return rc;
    *length = static_cast<int>(c->items[static_cast<size_t>(index)].label.size());
    return 0;
}

extern "C" int GetValueLengthFromIndex(int panel, int control, int index, int *length) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = nullptr;
    int rc = ItemAt("GetValueLengthFromIndex", panel, control, index, length, &c);
    if (rc < 0) return rc;
    *length = c->dataType == VAL_STRING ? static_cast<int>(c->items[static_cast<size_t>(index)].text.size()) : 0;
    return 0;
}

extern "C" int GetIndexFromValue(int panel, int control, int *index, ...) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = nullptr;
    int rc = LookupList(panel, control, &c);
    if (rc < 0) return Fail("GetIndexFromValue", rc);
    if (index == nullptr) return Fail("GetIndexFromValue", UIE_NULL_POINTER);
    va_list args;
    va_start(args, index);
    TypedValue v = ReadValue(c->dataType, &args);
    va_end(args);
    *index = -1;
    for (size_t i = 0; i < c->items.size(); ++i) {
        if (ItemHasValue(*c, c->items[i], v)) {
            *index = static_cast<int>(i);
            break;
        }
    }
    return 0;
}
