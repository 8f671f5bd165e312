// qm7300/sim_config.cpp - reads the QM7300_SIM description of simulated devices and faults.
//
// A line is a directive word (two for "list ..." and "fail ..."), then its arguments. Numbers
// are plain decimal words; NAME, TEXT and MESSAGE are either a double-quoted string with the
// escapes \" \\ \t \n, or the rest of the line verbatim, less a trailing comment and the white
// space before it. The first line not understood stops the parse: the config then carries only
// the error.
#include "qm7300/sim_config.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <cstdio>

namespace qm7300 {

namespace {

constexpr size_t kMaxListText = 1023;  // the list buffer holds 1024 bytes with the terminator
constexpr size_t kMaxVersion = 9;      // the version buffer holds 10 bytes with the terminator

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

// Parses one directive line into config; returns an empty string or the reason it failed.
std::string ParseLine(const std::string &line, SimConfig &config)
{
    size_t pos = 0;
    if (AtEnd(line, pos))
        return "";
    std::string word = NextWord(line, pos);
    std::string why;
    SimDevice *device = config.devices.empty() ? nullptr : &config.devices.back();
    auto needDevice = [&](const char *what) -> std::string {
        return std::string("\"") + what + "\" must follow a \"device\" line";
    };
    auto noMore = [&]() -> std::string {
        return AtEnd(line, pos) ? "" : "unexpected text after \"" + word + "\"";
    };

    if (word == "device") {
        SimDevice d;
        if (!ParseText(line, pos, &d.name, &why))
            return why;
        if (d.name.empty())
            return "\"device\" needs a name";
        for (const SimDevice &other : config.devices)
            if (other.name == d.name)
                return "device \"" + d.name + "\" is described twice";
        config.devices.push_back(std::move(d));
        return "";
    }
    if (word == "input") {
        if (!device)
            return needDevice("input");
        long port, value;
        if (!ParseNumber(NextWord(line, pos), 0, 1, &port) ||
            !ParseNumber(NextWord(line, pos), 0, 255, &value))
            return "\"input\" needs an input port (0 or 1) and a value (0-255)";
        device->hasInput[port] = true;
        device->input[port] = (unsigned char)value;
        return noMore();
    }
    if (word == "loopback") {
        if (!device)
            return needDevice("loopback");
        // Back to the default wiring: both inputs follow their outputs again.
        device->hasInput[0] = device->hasInput[1] = false;
        return noMore();
    }
    if (word == "version") {
        if (!device)
            return needDevice("version");
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
            if (!ParseText(line, pos, &config.listRaw, &why))
                return why;
            if (config.listRaw.size() > kMaxListText)
                return "list text is longer than 1023 characters";
            config.hasListRaw = true;
            return "";
        }
        if (what == "count") {
            long n;
            if (!ParseNumber(NextWord(line, pos), -2147483647L - 1, 2147483647L, &n))
                return "\"list count\" needs a whole number";
            config.hasListCount = true;
            config.listCount = (int)n;
            return noMore();
        }
        return "unknown directive \"list " + what + "\"";
    }
    if (word == "fail") {
        std::string what = NextWord(line, pos);
        if (what == "list") {
            config.failList = true;
            return noMore();
        }
        if (what != "open" && what != "version" && what != "read" && what != "write")
            return "unknown directive \"fail " + what + "\"";
        if (!device)
            return needDevice(("fail " + what).c_str());
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

}  // namespace

SimConfig DefaultSimConfig()
{
    SimConfig config;
    config.devices.resize(2);
    config.devices[0].name = "QM7300-0";
    config.devices[1].name = "QM7300-1";
    return config;
}

SimConfig ParseSimConfig(const std::string &text, const std::string &fileName)
{
    SimConfig config;
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
        std::string why = ParseLine(line, config);
        if (!why.empty()) {
            SimConfig failed;
            failed.error = "QM7300_SIM file " + fileName + ", line " + std::to_string(number) +
                           ": " + why + ".";
            return failed;
        }
    }
    if (!config.hasListRaw && SimListText(config).size() > kMaxListText) {
        SimConfig failed;
        failed.error = "QM7300_SIM file " + fileName +
                       ": the device names joined by commas exceed 1023 characters.";
        return failed;
    }
    return config;
}

SimConfig LoadSimConfig(const std::string &path)
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
    if (readError != 0) {
        SimConfig failed;
        failed.error = "QM7300_SIM file " + path + " cannot be read: " + strerror(readError) + ".";
        return failed;
    }
    return ParseSimConfig(text, path);
}

std::string SimListText(const SimConfig &config)
{
    if (config.hasListRaw)
        return config.listRaw;
    std::string text;
    for (const SimDevice &d : config.devices) {
        if (!text.empty())
            text += ',';
        text += d.name;
    }
    return text;
}

}  // namespace qm7300
