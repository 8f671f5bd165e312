// rte/display/web_access.cpp - who may look at the panels of the web display: where it listens,
// the token a viewer must show (the run's random one, or RTE_WEB_TOKEN), how the token is
// compared, the cookie that carries it after the first load, and the Origin a page's WebSocket
// must come from.
#include <sys/random.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "rte/display/web_display.h"

namespace rte::internal::web {
namespace {

std::string Env(const char *name) {
    const char *value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Four numbers of 0..255 separated by dots.
bool IsIPv4(std::string_view text) {
    int parts = 0;
    size_t i = 0;
    while (i <= text.size()) {
        size_t start = i;
        int value = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && i - start < 3) {
            value = value * 10 + (text[i] - '0');
            ++i;
        }
        if (i == start || value > 255) return false;
        ++parts;
        if (i == text.size()) break;
        if (text[i] != '.') return false;
        ++i;
    }
    return parts == 4;
}

// Characters a token may hold: they pass unchanged through an address, a cookie and a query.
bool TokenCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.' || c == '~';
}

}  // namespace

bool ParseListen(std::string_view text, Settings *s, std::string *error) {
    std::string_view host = "127.0.0.1", port = text;
    if (text.empty()) port = "8730";
    size_t colon = text.rfind(':');
    if (colon != std::string_view::npos) {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    bool digits = !port.empty() && port.size() <= 5;
    for (char c : port) digits = digits && std::isdigit(static_cast<unsigned char>(c));
    int number = digits ? std::atoi(std::string(port).c_str()) : -1;
    if (number < 0 || number > 65535) {
        *error = "RTE_WEB_LISTEN=" + std::string(text) + " has no port of 0 to 65535 (HOST:PORT, e.g. 127.0.0.1:8730)";
        return false;
    }
    if (host == "localhost") host = "127.0.0.1";
    if (host == "*" || host == "0.0.0.0") {
        s->host = "0.0.0.0";
        s->loopback = false;
    } else if (IsIPv4(host)) {
        s->host = std::string(host);
        s->loopback = host.substr(0, 4) == "127.";
    } else {
        *error = "RTE_WEB_LISTEN=" + std::string(text) +
                 ": the host must be an IPv4 address, localhost or * (every interface)";
        return false;
    }
    s->port = number;
    return true;
}

bool ReadSettings(Settings *s, std::string *error) {
    if (!ParseListen(Env("RTE_WEB_LISTEN"), s, error)) return false;
    s->token = Env("RTE_WEB_TOKEN");
    if (s->token.empty()) {
        s->token = NewToken();
        if (s->token.empty()) {
            *error = "the web display cannot make an access token: the system gives no random bytes";
            return false;
        }
    } else {
        bool ok = s->token.size() >= 16 && s->token.size() <= 128;
        for (char c : s->token) ok = ok && TokenCharacter(c);
        if (!ok) {
            *error = "RTE_WEB_TOKEN must be 16 to 128 characters of letters, digits and - _ . ~";
            return false;
        }
    }
    s->cert = Env("RTE_WEB_CERT");
    s->key = Env("RTE_WEB_KEY");
    if (s->cert.empty() != s->key.empty()) {
        *error = "HTTPS needs both RTE_WEB_CERT (the certificate) and RTE_WEB_KEY (its private key)";
        return false;
    }
    return true;
}

std::string NewToken() {
    unsigned char bytes[16];
    size_t got = 0;
    while (got < sizeof bytes) {
        ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n <= 0) return "";
        got += static_cast<size_t>(n);
    }
    std::string token;
    char hex[3];
    for (unsigned char b : bytes) {
        std::snprintf(hex, sizeof hex, "%02x", b);
        token += hex;
    }
    return token;
}

bool SameToken(std::string_view given, std::string_view token) {
    // Every byte of the longer text is looked at, whatever differs and wherever.
    size_t length = given.size() > token.size() ? given.size() : token.size();
    unsigned difference = given.size() == token.size() ? 0u : 1u;
    for (size_t i = 0; i < length; ++i) {
        unsigned char a = i < given.size() ? static_cast<unsigned char>(given[i]) : 0;
        unsigned char b = i < token.size() ? static_cast<unsigned char>(token[i]) : 0;
        difference |= static_cast<unsigned>(a ^ b);
    }
    return difference == 0 && !token.empty();
}

std::string CookieName(int port) { return "rte_token_" + std::to_string(port); }

namespace {

// The value of NAME in "NAME=VALUE" pairs separated by `separator` (blanks before a name are
// skipped); "" when absent.
std::string PairValue(const char *text, char separator, std::string_view name) {
    if (text == nullptr) return "";
    std::string_view rest = text;
    while (!rest.empty()) {
        size_t end = rest.find(separator);
        std::string_view pair = rest.substr(0, end);
        while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
        size_t eq = pair.find('=');
        if (eq != std::string_view::npos && pair.substr(0, eq) == name) return std::string(pair.substr(eq + 1));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return "";
}

}  // namespace

std::string CookieValue(const char *header, std::string_view name) { return PairValue(header, ';', name); }

std::string QueryValue(const char *query, std::string_view name) { return PairValue(query, '&', name); }

bool OriginAllowed(const char *origin, const char *host, bool https) {
    if (origin == nullptr) return true;
    if (host == nullptr) return false;
    return std::string(origin) == std::string(https ? "https://" : "http://") + host;
}

}  // namespace rte::internal::web
