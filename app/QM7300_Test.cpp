// app/QM7300_Test.cpp - the QM7300 test panel: the program's entry (WinMain) and the panel's
// five callbacks. Each device command opens the device chosen in the list, does its work,
// closes it again and shows its results, or its first error, in the panel.
#include "app/QM7300_Test.h"

#include "app/device_list_scan.h"
#include "qm7300/QM7300.h"
#include "rte/engine.h"
#include "rte/ui.h"
#include "toolbox/text/int_parse.h"

#include <cstdio>
#include <cstring>

namespace {

int panelHandle;  // the test panel, from LoadPanel until the program ends

// Copies the value of a string control, or the selected value of a list control (isList), into
// buffer (size bytes); "" when it has none. The panel limits what the operator can enter to fit
// the buffers, but a value set some other way could be longer: such a value is not copied (it
// must never overrun a fixed buffer) and reads as "", which every command reports as a failure.
void GetTextValue(int panel, int control, bool isList, char *buffer, size_t size)
{
    buffer[0] = '\0';
    int length = -1, index = -1;
    if (isList) {
        if (GetCtrlIndex(panel, control, &index) < 0 || index < 0 ||
            GetValueLengthFromIndex(panel, control, index, &length) < 0)
            return;
    } else if (GetCtrlAttribute(panel, control, ATTR_STRING_TEXT_LENGTH, &length) < 0) {
        return;
    }
    if (length < 0 || (size_t)length >= size || GetCtrlVal(panel, control, buffer) < 0)
        buffer[0] = '\0';
}

// The device chosen in the list: its value, which list stores cut to 23 characters.
void GetDeviceName(int panel, char *name, size_t size)
{
    GetTextValue(panel, PANEL_DEVICES, true, name, size);
}

// Writes one port from the operator's text: checks it, then writes it. portName is the name the
// messages use ("Port0" for port 16, "Port1" for port 17). On failure the message is shown in
// PANEL_STATUS and false is returned.
bool WritePortText(int panel, int handle, int port, const char *portName, const char *text,
                   char *errorText)
{
    char message[64];
    int value;
    if (!StrToInt(text, &value)) {
        snprintf(message, sizeof message, "%s is not a valid number", portName);
        SetCtrlVal(panel, PANEL_STATUS, message);
        return false;
    }
    if (value < 0 || value > 255) {
        snprintf(message, sizeof message, "%s value Must Be 0-255", portName);
        SetCtrlVal(panel, PANEL_STATUS, message);
        return false;
    }
    if (QM_WritePort(handle, port, (unsigned char)value, errorText) != 0) {
        errorText[QM_ERROR_TEXT_SIZE - 1] = '\0';  // errorText is the caller's 1024-byte buffer
        SetCtrlVal(panel, PANEL_STATUS, errorText);
        return false;
    }
    return true;
}

// The panel's one text for a device that cannot be opened. Programs that want the reason ask
// the library with QM_GetLastError; the panel keeps its own text, which operators' scripts and
// tests compare.
void ShowOpenError(int panel)
{
    SetCtrlVal(panel, PANEL_STATUS, "Error Opening Device");
}

}  // namespace

extern "C" int WinMain(void *hInstance, void *, char *, int)
{
    if (InitRTEEx(hInstance, 0, 0) == 0)
        return -1;
    panelHandle = LoadPanel(0, "QM7300_Test.uir", PANEL);
    if (panelHandle < 0)
        return -1;
    DisplayPanel(panelHandle);
    RunUserInterface();
    DiscardPanel(panelHandle);
    return 0;
}

extern "C" int close(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        QuitUserInterface(0);
    return 0;
}

extern "C" int list(int panel, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    char name[24] = {0};  // the count as text, then one device name per pass
    char listText[QM_LIST_TEXT_SIZE] = {0};
    char secondBuffer[QM_LIST_TEXT_SIZE] = {0};
    char remainder[QM_LIST_TEXT_SIZE] = {0};
    int count = 0;

    ClearListCtrl(panel, PANEL_DEVICES);
    if (QM_ListDIO(&count, listText, secondBuffer) != 0) {
        SetCtrlVal(panel, PANEL_STATUS, "Error reading Devices");
        return 0;
    }
    listText[sizeof listText - 1] = '\0';  // a library that filled the whole buffer is cut
    snprintf(name, sizeof name, "%i", count);
    SetCtrlVal(panel, PANEL_DEVICE_COUNT, name);  // the library's count, not the entries added

    // Each pass takes the first name and keeps the first word after its comma as the text still
    // to be read; names longer than 23 characters are cut, and the scan goes on after them.
    int n;
    do {
        n = ScanDeviceListEntry(listText, name, sizeof name, remainder, sizeof remainder);
        if (n >= 1)
            InsertListItem(panel, PANEL_DEVICES, -1, name, name);
        snprintf(listText, sizeof listText, "%s", remainder);
    } while (n == 2);
    return 0;
}

extern "C" int read(int panel, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    static const struct {
        int port;
        int control;
    } kPorts[] = {{0, PANEL_PORT0_READ}, {1, PANEL_PORT1_READ}, {16, PANEL_PORT16_READ},
                  {17, PANEL_PORT17_READ}};
    char name[24] = {0};
    char valueText[24] = {0};
    char errorText[QM_ERROR_TEXT_SIZE] = {0};
    int handle = 0;

    GetDeviceName(panel, name, sizeof name);
    if (QM_OpenDIO(name, &handle) != 0) {
        ShowOpenError(panel);
    } else {
        for (const auto &p : kPorts) {
            unsigned char value = 0;
            if (QM_ReadPort(handle, p.port, &value, errorText) != 0) {
                errorText[sizeof errorText - 1] = '\0';
                SetCtrlVal(panel, PANEL_STATUS, errorText);
                break;
            }
            snprintf(valueText, sizeof valueText, "%i", value);
            SetCtrlVal(panel, p.control, valueText);
        }
    }
    QM_CloseDIO(handle);
    return 0;
}

extern "C" int write(int panel, int, int event, void *, int, int)
{
    // Every event that reaches the Write button clears the status line, focus changes included.
    SetActiveCtrl(panel, PANEL_STATUS);
    SetCtrlVal(panel, PANEL_STATUS, "");
    SetActiveCtrl(panel, PANEL_WRITE_FOCUS);
    if (event != EVENT_COMMIT)
        return 0;

    char name[24] = {0};
    char port0Text[28] = {0};  // zero-filled too, so a failed read of the control gives ""
    char port1Text[28] = {0};
    char errorText[QM_ERROR_TEXT_SIZE] = {0};
    int handle = 0;

    GetDeviceName(panel, name, sizeof name);
    if (QM_OpenDIO(name, &handle) != 0) {
        ShowOpenError(panel);
    } else {
        GetTextValue(panel, PANEL_PORT0_WRITE, false, port0Text, sizeof port0Text);
        GetTextValue(panel, PANEL_PORT1_WRITE, false, port1Text, sizeof port1Text);
        // Port 16 is written before port 17's text is checked, so a bad Port1 keeps Port0's write.
        if (WritePortText(panel, handle, 16, "Port0", port0Text, errorText))
            WritePortText(panel, handle, 17, "Port1", port1Text, errorText);
    }
    QM_CloseDIO(handle);
    return 0;
}

extern "C" int swversion(int panel, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    char name[24] = {0};
    char version[QM_VERSION_SIZE] = {0};
    char errorText[QM_ERROR_TEXT_SIZE] = {0};
    int handle = 0;

    // A device that cannot be opened, or gives no version, says why in the status line, as the
    // other commands do: a module on the network may be unreachable or lack identification.
    GetDeviceName(panel, name, sizeof name);
    if (QM_OpenDIO(name, &handle) != 0) {
        ShowOpenError(panel);
    } else if (QM_GetVer(handle, version, errorText) == 0) {
        version[sizeof version - 1] = '\0';
        SetCtrlVal(panel, PANEL_VERSION, version);
    } else {
        errorText[sizeof errorText - 1] = '\0';
        SetCtrlVal(panel, PANEL_STATUS, errorText);
    }
    QM_CloseDIO(handle);
    return 0;
}
