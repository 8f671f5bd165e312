// qm7300/devices_file.cpp - reads the devices file: simulated devices and their faults, and
// devices on the network (a "modbus" line and the lines that refine it).
//
// A line is a directive word (two for "list ..." and "fail ..."), then its arguments. Numbers
// are plain decimal words; NAME, TEXT and MESSAGE are either a double-quoted string with the
// escapes \" \\ \t \n, or the rest of the line verbatim, less a trailing comment and the white
// space before it. The first line not understood stops the parse: the result then carries only
// the error.
#include "qm7300/devices_file.h"

#include <arpa/inet.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qm7300 {

namespace {

constexpr size_t kMaxListText = 1023;  // the list buffer holds 1024 bytes with the terminator
constexpr size_t kMaxVersion = 9;      // the version buffer holds 10 bytes with the terminator
constexpr long kMaxTimeoutMs = 3600000;

bool IsBlank(char c) { return isspace((unsigned char)c) != 0; }

void SkipBlanks(const std::string &line, size_t &pos)
{
    while (pos < line.size() && IsBlank(line[pos]))
        pos++;
}

// True when only white space or a comment is left.
bool AtEnd(const std::string &line, size_t pos)
{
    SkipBlanks(line, pos);
    return pos == line.size() || line[pos] == '#';
}

std::string NextWord(const std::string &line, size_t &pos)
{
    SkipBlanks(line, pos);
    size_t start = pos;
    while (pos < line.size() && !IsBlank(line[pos]))
        pos++;
    return line.substr(start, pos - start);
}

bool ParseNumber(const std::string &word, long lo, long hi, long *out)
{
    long v = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
    if (word.empty() || ec != std::errc() || end != word.data() + word.size() || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

// Reads a NAME/TEXT/MESSAGE argument starting at pos (see the file comment). On a malformed
// quoted string sets *why and returns false.
bool ParseText(const std::string &line, size_t pos, std::string *out, std::string *why)
{
    SkipBlanks(line, pos);
    out->clear();
    if (pos < line.size() && line[pos] == '"') {
        for (pos++; pos < line.size() && line[pos] != '"'; pos++) {
            char c = line[pos];
            if (c == '\\') {
                if (++pos == line.size())
                    break;
                switch (line[pos]) {
                case '"': c = '"'; break;
                case '\\': c = '\\'; break;
                case 't': c = '\t'; break;
                case 'n': c = '\n'; break;
                default:
                    *why = std::string("unknown escape \\") + line[pos] + " in quoted text";
                    return false;
                }
            }
            out->push_back(c);
        }
        if (pos >= line.size()) {
            *why = "quoted text has no closing quote";
            return false;
        }
        if (!AtEnd(line, pos + 1)) {
            *why = "unexpected text after the closing quote";
            return false;
        }
        return true;
    }
    // The rest of the line, verbatim as in operator scripts; only a comment is cut off, with the
    // white space that separates it from the text.
    size_t end = pos;
    while (end < line.size() && !(line[end] == '#' && end > 0 && IsBlank(line[end - 1])))
        end++;
    if (end < line.size()) {
        while (end > pos && IsBlank(line[end - 1]))
            end--;
    }
    *out = line.substr(pos, end - pos);
    return true;
}

// A host name as DNS allows it: dot-separated labels of letters, digits and inner hyphens.
bool IsHostName(const std::string &host)
{
    if (host.empty() || host.size() > 253)
        return false;
    size_t start = 0;
    while (start <= host.size()) {
        size_t end = host.find('.', start);
        if (end == std::string::npos)
            end = host.size();
        size_t length = end - start;
        if (length == 0 || length > 63 || host[start] == '-' || host[end - 1] == '-')
            return false;
        for (size_t i = start; i < end; i++)
            if (!isalnum((unsigned char)host[i]) && host[i] != '-')
                return false;
        start = end + 1;
    }
    return true;
}

// Sets *why and returns false: the end of a check that failed.
bool Refuse(std::string *why, const std::string &text)
{
    *why = text;
    return false;
}

// The state of a parse between lines.
struct ParseState {
    bool deviceHasSimulatedLines = false;  // the current device has lines only simulation knows
};

// Parses the lines that describe a network device: "modbus" and the lines after it. Returns
// true when the line was one of them, with *why set when it was wrong.
bool ParseNetworkLine(const std::string &word, const std::string &line, size_t pos,
                      DeviceSpec *device, const ParseState &state, std::string *why)
{
    static const char *const kWords[] = {"modbus", "unit", "inputs", "outputs", "timeout"};
    bool known = false;
    for (const char *w : kWords)
        known = known || word == w;
    if (!known)
        return false;
    auto noMore = [&] {
        if (!AtEnd(line, pos))
            *why = "unexpected text after \"" + word + "\"";
    };
    if (device == nullptr) {
        *why = "\"" + word + "\" must follow a \"device\" line";
        return true;
    }
    ModbusSpec &m = device->modbus;
    if (word == "modbus") {
        if (device->isNetwork)
            *why = "device \"" + device->name + "\" has two \"modbus\" lines";
        else if (state.deviceHasSimulatedLines)
            *why = "\"modbus\" must come before the lines of a simulated device; \"" +
                   device->name + "\" already has some";
        else if (ParseEndpoint(NextWord(line, pos), 502, 1, &m.host, &m.port, why)) {
            device->isNetwork = true;
            noMore();
        }
        return true;
    }
    if (!device->isNetwork) {
        *why = "\"" + word + "\" must follow a \"modbus\" line";
        return true;
    }
    long n;
    if (word == "unit") {
        // 248 to 254 are reserved for serial lines; libmodbus refuses them.
        if (!ParseNumber(NextWord(line, pos), 0, 255, &n) || (n > 247 && n < 255))
            *why = "\"unit\" needs a unit identifier from 0 to 247, or 255";
        else
            m.unit = (int)n;
    } else if (word == "timeout") {
        if (!ParseNumber(NextWord(line, pos), 1, kMaxTimeoutMs, &n))
            *why = "\"timeout\" needs milliseconds from 1 to 3600000";
        else
            m.timeoutMs = (int)n;
    } else {
        // inputs discrete N | inputs registers N | outputs coils N | outputs registers N: the
        // first address, so that all 16 bits (or both registers) fit below 65536.
        bool inputs = word == "inputs";
        std::string table = NextWord(line, pos);
        const char *bits = inputs ? "discrete" : "coils";
        bool registers = table == "registers";
        long last = registers ? 65534 : 65520;
        if ((table != bits && !registers) || !ParseNumber(NextWord(line, pos), 0, last, &n)) {
            *why = "\"" + word + "\" needs \"" + bits + "\" and an address from 0 to 65520, or " +
                   "\"registers\" and an address from 0 to 65534";
            return true;
        }
        (inputs ? m.inputRegisters : m.outputRegisters) = registers;
        (inputs ? m.inputAddress : m.outputAddress) = (int)n;
    }
    if (why->empty())
        noMore();
    return true;
}

// Parses one directive line into file; returns an empty string or the reason it failed.
std::string ParseLine(const std::string &line, DevicesFile &file, ParseState &state)
{
    size_t pos = 0;
    if (AtEnd(line, pos))
        return "";
    std::string word = NextWord(line, pos);
    std::string why;
    DeviceSpec *device = file.devices.empty() ? nullptr : &file.devices.back();
    if (ParseNetworkLine(word, line, pos, device, state, &why))
        return why;

    // What follows describes simulated devices, or the list.
    auto needDevice = [&](const std::string &what) -> std::string {
        if (!device)
            return "\"" + what + "\" must follow a \"device\" line";
        if (device->isNetwork)
            return "\"" + what + "\" describes a simulated device, but \"" + device->name +
                   "\" is on the network";
        state.deviceHasSimulatedLines = true;
        return "";
    };
    auto noMore = [&]() -> std::string {
        return AtEnd(line, pos) ? "" : "unexpected text after \"" + word + "\"";
    };

    if (word == "device") {
        DeviceSpec d;
        if (!ParseText(line, pos, &d.name, &why))
            return why;
        if (d.name.empty())
            return "\"device\" needs a name";
        for (const DeviceSpec &other : file.devices)
            if (other.name == d.name)
                return "device \"" + d.name + "\" is described twice";
        file.devices.push_back(std::move(d));
        state.deviceHasSimulatedLines = false;
        return "";
    }
    if (word == "input") {
        if (!(why = needDevice("input")).empty())
            return why;
        long port, value;
        if (!ParseNumber(NextWord(line, pos), 0, 1, &port) ||
            !ParseNumber(NextWord(line, pos), 0, 255, &value))
            return "\"input\" needs an input port (0 or 1) and a value (0-255)";
        device->hasInput[port] = true;
        device->input[port] = (unsigned char)value;
        return noMore();
    }
    if (word == "loopback") {
        if (!(why = needDevice("loopback")).empty())
            return why;
        // Back to the default wiring: both inputs follow their outputs again.
        device->hasInput[0] = device->hasInput[1] = false;
        return noMore();
    }
    if (word == "version") {
        if (!(why = needDevice("version")).empty())
            return why;
        std::string text;
        if (!ParseText(line, pos, &text, &why))
            return why;
        if (text.size() > kMaxVersion)
            return "version text \"" + text + "\" is longer than 9 characters";
        device->version = text;
        return "";
    }
    if (word == "list") {
        std::string what = NextWord(line, pos);
        if (what == "raw") {
            if (!ParseText(line, pos, &file.listRaw, &why))
                return why;
            if (file.listRaw.size() > kMaxListText)
                return "list text is longer than 1023 characters";
            file.hasListRaw = true;
            return "";
        }
        if (what == "count") {
            long n;
            if (!ParseNumber(NextWord(line, pos), -2147483647L - 1, 2147483647L, &n))
                return "\"list count\" needs a whole number";
            file.hasListCount = true;
            file.listCount = (int)n;
            return noMore();
        }
        return "unknown directive \"list " + what + "\"";
    }
    if (word == "fail") {
        std::string what = NextWord(line, pos);
        if (what == "list") {
            file.failList = true;
            return noMore();
        }
        if (what != "open" && what != "version" && what != "read" && what != "write")
            return "unknown directive \"fail " + what + "\"";
        if (!(why = needDevice("fail " + what)).empty())
            return why;
        if (what == "open") {
            device->failOpen = true;
            return noMore();
        }
        if (what == "version") {
            device->failVersion = true;
            return noMore();
        }
        long port;
        std::string portWord = NextWord(line, pos);
        bool isRead = what == "read";
        bool portOk = ParseNumber(portWord, 0, 17, &port) &&
                      (port == 16 || port == 17 || (isRead && (port == 0 || port == 1)));
        std::string message;
        if (!portOk || !ParseText(line, pos, &message, &why) || message.empty()) {
            if (!why.empty())
                return why;
            return isRead ? "\"fail read\" needs a port (0, 1, 16 or 17) and a message"
                          : "\"fail write\" needs an output port (16 or 17) and a message";
        }
        (isRead ? device->failRead : device->failWrite)[(int)port] = message;
        return "";
    }
    return "unknown directive \"" + word + "\"";
}

// Whether two paths name one file: the same text, or the same file on disk.
bool SameFile(const char *a, const char *b)
{
    struct stat sa, sb;
    return strcmp(a, b) == 0 || (stat(a, &sa) == 0 && stat(b, &sb) == 0 &&
                                 sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino);
}

}  // namespace

DevicesFile DefaultDevices()
{
    DevicesFile file;
    file.devices.resize(2);
    file.devices[0].name = "QM7300-0";
    file.devices[1].name = "QM7300-1";
    return file;
}

DevicesFile ParseDevicesFile(const std::string &text, const std::string &origin)
{
    DevicesFile file;
    ParseState state;
    // Split by hand: the stream classes would swallow an allocation failure as end of input.
    size_t start = 0;
    for (int number = 1; start < text.size(); number++) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string why = ParseLine(line, file, state);
        if (!why.empty()) {
            DevicesFile failed;
            failed.error = origin + ", line " + std::to_string(number) + ": " + why + ".";
            return failed;
        }
    }
    if (!file.hasListRaw && DeviceListText(file).size() > kMaxListText) {
        DevicesFile failed;
        failed.error = origin + ": the device names joined by commas exceed 1023 characters.";
        return failed;
    }
    return file;
}

DevicesFile LoadDevicesFile(const std::string &path, const std::string &variable)
{
    // Read with stdio: the stream classes would turn an allocation failure into a short read.
    std::string text;
    FILE *f = fopen(path.c_str(), "rb");
    int readError = f == nullptr ? errno : 0;
    if (f != nullptr) {
        try {
            char chunk[4096];
            size_t n;
            while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
                text.append(chunk, n);
            if (ferror(f))
                readError = EIO;
        } catch (...) {
            fclose(f);
            throw;
        }
        fclose(f);
    }
    std::string origin = variable + " file " + path;
    if (readError != 0) {
        DevicesFile failed;
        failed.error = origin + " cannot be read: " + strerror(readError) + ".";
        return failed;
    }
    return ParseDevicesFile(text, origin);
}

std::string DeviceListText(const DevicesFile &file)
{
    if (file.hasListRaw)
        return file.listRaw;
    std::string text;
    for (const DeviceSpec &d : file.devices) {
        if (!text.empty())
            text += ',';
        text += d.name;
    }
    return text;
}

std::string Endpoint(const std::string &host, int port)
{
    bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

bool ParseEndpoint(const std::string &text, int defaultPort, int lowestPort, std::string *host,
                   int *port, std::string *why)
{
    std::string name, portText;
    bool hasPort = false;
    if (!text.empty() && text[0] == '[') {
        size_t close = text.find(']');
        unsigned char address[16];
        if (close == std::string::npos)
            return Refuse(why, "\"" + text + "\" has no closing ]");
        name = text.substr(1, close - 1);
        if (inet_pton(AF_INET6, name.c_str(), address) != 1)
            return Refuse(why, "\"" + name + "\" is not an IPv6 address");
        if (close + 1 < text.size()) {
            if (text[close + 1] != ':')
                return Refuse(why, "unexpected text after \"" + text.substr(0, close + 1) + "\"");
            hasPort = true;
            portText = text.substr(close + 2);
        }
    } else {
        size_t colon = text.find(':');
        if (colon != std::string::npos && text.find(':', colon + 1) != std::string::npos)
            return Refuse(why, "an IPv6 address is written in brackets, as in [" + text + "]");
        name = text.substr(0, colon);
        if (colon != std::string::npos) {
            hasPort = true;
            portText = text.substr(colon + 1);
        }
        bool dotted = !name.empty() &&
                      name.find_first_not_of("0123456789.") == std::string::npos;
        unsigned char address[4];
        if (name.empty())
            return Refuse(why, "a host is needed, as in 192.0.2.7 or [2001:db8::7]:1502");
        if (dotted ? inet_pton(AF_INET, name.c_str(), address) != 1 : !IsHostName(name))
            return Refuse(why, "\"" + name + "\" is not a host name or an IP address");
    }
    long n = defaultPort;
    if (hasPort && !ParseNumber(portText, lowestPort, 65535, &n))
        return Refuse(why, "port \"" + portText + "\" is out of range (" + std::to_string(lowestPort) +
                      "-65535)");
    *host = name;
    *port = (int)n;
    return true;
}

DevicesChoice ChooseDevicesFile()
{
    const char *devices = getenv("QM7300_DEVICES");
    const char *sim = getenv("QM7300_SIM");
    bool hasDevices = devices != nullptr && devices[0] != '\0';
    bool hasSim = sim != nullptr && sim[0] != '\0';
    DevicesChoice choice;
    choice.key = std::string(hasDevices ? devices : "") + '\n' + (hasSim ? sim : "");
    if (hasDevices && hasSim && !SameFile(devices, sim)) {
        choice.error = std::string("QM7300_DEVICES (") + devices + ") and QM7300_SIM (" + sim +
                       ") name different devices files; set only QM7300_DEVICES, the newer name.";
    } else if (hasDevices || hasSim) {
        choice.variable = hasDevices ? "QM7300_DEVICES" : "QM7300_SIM";
        choice.path = hasDevices ? devices : sim;
    }
    return choice;
}

DevicesFile LoadChosenDevices(const DevicesChoice &choice)
{
    if (!choice.error.empty()) {
        DevicesFile failed;
        failed.error = choice.error;
        return failed;
    }
    return choice.variable.empty() ? DefaultDevices() : LoadDevicesFile(choice.path, choice.variable);
}

}  // namespace qm7300
