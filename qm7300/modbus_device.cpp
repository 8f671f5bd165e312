// qm7300/modbus_device.cpp - a QM7300 module on the network (see modbus_device.h).
//
// The connection lives while a handle is open on the device. A call that finds it dropped (the
// module restarted, a cable was pulled) connects again and asks once more; after a time-out or
// an answer that makes no sense the connection is closed, since a late or stray answer would
// be taken for the next question's, and the next call connects afresh.
#include "qm7300/modbus_device.h"

#include "qm7300/QM7300.h"
#include "qm7300/modbus_frames.h"

#include <arpa/inet.h>
#include <modbus/modbus.h>
#include <netdb.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qm7300 {

namespace {

// Errors after which the connection is known to be gone, so asking again on a new one helps.
bool IsDropped(int error)
{
    return error == ECONNRESET || error == EPIPE || error == ENOTCONN || error == ECONNABORTED ||
           error == EBADF;
}

bool IsException(int error) { return error > MODBUS_ENOBASE && error <= EMBXGTAR; }

// The exceptions' names as the protocol gives them.
const char *ExceptionName(int code)
{
    static const char *const kNames[] = {
        "unknown exception",       "illegal function",
        "illegal data address",    "illegal data value",
        "server device failure",   "acknowledge",
        "server device busy",      "negative acknowledge",
        "memory parity error",     "unknown exception",
        "gateway path unavailable", "gateway target device failed to respond",
    };
    return code >= 1 && code <= 11 ? kNames[code] : kNames[0];
}

// Whether host is a name that does not resolve. libmodbus reports such a host as a refused
// connection (or leaves errno alone), so a refusal from a named host is looked into.
bool IsUnknownName(const std::string &host, std::string *why)
{
    unsigned char address[16];
    if (inet_pton(AF_INET, host.c_str(), address) == 1 || inet_pton(AF_INET6, host.c_str(), address) == 1)
        return false;
    struct addrinfo hints = {}, *found = nullptr;
    hints.ai_socktype = SOCK_STREAM;
    int rc = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (found != nullptr)
        freeaddrinfo(found);
    if (rc == 0)
        return false;
    *why = std::string("the host name is not known (") + gai_strerror(rc) + ")";
    return true;
}

// The cause of a failure, as the end of a sentence.
std::string Cause(int error, int timeoutMs, const std::string &host)
{
    std::string unknown;
    if ((error == ECONNREFUSED || error == 0) && IsUnknownName(host, &unknown))
        return unknown;
    char text[256];
    if (IsException(error)) {
        int code = error - MODBUS_ENOBASE;
        snprintf(text, sizeof text, "Modbus exception %d (%s)", code, ExceptionName(code));
        return text;
    }
    switch (error) {
    case ETIMEDOUT:
        snprintf(text, sizeof text, "no answer within %d ms", timeoutMs);
        return text;
    case ECONNREFUSED: return "connection refused";
    case EHOSTUNREACH: return "host unreachable";
    case ENETUNREACH: return "network unreachable";
    case EMBBADSLAVE: return "the answer came from another unit";
    case EMBBADEXC:
    case EMBUNKEXC: return "an exception code Modbus does not define";
    case EMBBADDATA:
    case EMBMDATA:
    case EMBBADCRC: return "an answer that does not fit the question";
    default: break;
    }
    if (IsDropped(error))
        return "the module closed the connection";
    if (error == 0)
        return "the connection failed";
    std::string message = strerror(error);
    if (message.size() > 1 && isupper((unsigned char)message[0]) &&
        islower((unsigned char)message[1]))
        message[0] = (char)tolower((unsigned char)message[0]);
    return message;
}

// Writes "WHAT NAME at HOST:PORT failed: CAUSE." into why and gives the call's status.
int Fail(char *why, const char *what, const std::string &name, const std::string &endpoint,
         const std::string &cause, int error)
{
    if (error == ENOMEM) {
        snprintf(why, QM_ERROR_TEXT_SIZE, "The QM7300 library ran out of memory.");
        return QM_ERR_MEMORY;
    }
    snprintf(why, QM_ERROR_TEXT_SIZE, "%s %s at %s failed: %s.", what, name.c_str(),
             endpoint.c_str(), cause.c_str());
    return QM_ERR_DEVICE;
}

// The first address of a port's bits or register.
int Address(int first, bool registers, int index) { return first + index * (registers ? 1 : 8); }

}  // namespace

ModbusDevice::ModbusDevice(const DeviceSpec &entry)
    : name_(entry.name), spec_(entry.modbus), endpoint_(Endpoint(entry.modbus.host, entry.modbus.port))
{
}

ModbusDevice::~ModbusDevice() { Disconnect(); }

int ModbusDevice::Connect()
{
    char port[8];
    snprintf(port, sizeof port, "%d", spec_.port);
    modbus_t *context = modbus_new_tcp_pi(spec_.host.c_str(), port);
    if (context == nullptr) {
        errno = ENOMEM;  // the host and port were checked when the file was read
        return -1;
    }
    unsigned seconds = (unsigned)spec_.timeoutMs / 1000, micro = (unsigned)spec_.timeoutMs % 1000 * 1000;
    modbus_set_slave(context, spec_.unit);
    modbus_set_response_timeout(context, seconds, micro);  // also bounds the connecting
    modbus_set_byte_timeout(context, seconds, micro);
    errno = 0;
    if (modbus_connect(context) != 0) {
        // libmodbus waits for the connection with select and, when the time-out passes, gives
        // up with errno still at the EINPROGRESS of the connect it started.
        int error = errno == EINPROGRESS ? ETIMEDOUT : errno;
        modbus_free(context);
        errno = error;
        return -1;
    }
    context_ = context;
    return 0;
}

void ModbusDevice::Disconnect()
{
    if (context_ == nullptr)
        return;
    int error = errno;
    modbus_close(context_);
    modbus_free(context_);
    context_ = nullptr;
    errno = error;
}

template <typename Request>
int ModbusDevice::Call(const char *what, char *why, bool identification, Request request)
{
    std::lock_guard<std::mutex> lock(mutex_);
    bool wasConnected = context_ != nullptr;
    int error = 0;
    for (int attempt = 0;; attempt++) {
        errno = 0;
        if (context_ == nullptr && Connect() != 0) {
            error = errno;
            break;
        }
        errno = 0;
        if (request() == 0)
            return QM_OK;
        error = errno;
        // An exception is a whole answer: the connection is fine. After anything else the
        // stream cannot be trusted.
        if (!IsException(error))
            Disconnect();
        if (!(IsDropped(error) && wasConnected && attempt == 0))
            break;
    }
    std::string cause = Cause(error, spec_.timeoutMs, spec_.host);
    if (identification && error == EMBXILFUN)
        cause = "the module has no device identification (" + cause + ")";
    return Fail(why, what, name_, endpoint_, cause, error);
}

int ModbusDevice::Open(char *why)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (context_ == nullptr) {
        if (Connect() != 0) {
            int error = errno;
            return Fail(why, "Connecting to device", name_, endpoint_,
                        Cause(error, spec_.timeoutMs, spec_.host), error);
        }
    }
    users_++;
    return QM_OK;
}

void ModbusDevice::Close()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (users_ > 0 && --users_ == 0)
        Disconnect();
}

int ModbusDevice::Read(int port, unsigned char *value, char *why)
{
    char what[64];
    snprintf(what, sizeof what, "Reading port %d of device", port);
    bool input = port < 16;
    bool registers = input ? spec_.inputRegisters : spec_.outputRegisters;
    int address = Address(input ? spec_.inputAddress : spec_.outputAddress, registers, port % 16);
    return Call(what, why, false, [&] {
        uint8_t bits[8];
        uint16_t word;
        int n = registers ? (input ? modbus_read_input_registers : modbus_read_registers)(
                                context_, address, 1, &word)
                          : (input ? modbus_read_input_bits : modbus_read_bits)(
                                context_, address, 8, bits);
        if (n < 0)
            return -1;
        *value = registers ? (unsigned char)(word & 0xFF) : modbus_get_byte_from_bits(bits, 0, 8);
        return 0;
    });
}

int ModbusDevice::Write(int port, unsigned char value, char *why)
{
    char what[64];
    snprintf(what, sizeof what, "Writing port %d of device", port);
    int address = Address(spec_.outputAddress, spec_.outputRegisters, port - 16);
    return Call(what, why, false, [&] {
        if (spec_.outputRegisters)
            return modbus_write_register(context_, address, value) < 0 ? -1 : 0;
        uint8_t bits[8];
        modbus_set_bits_from_byte(bits, 0, value);
        return modbus_write_bits(context_, address, 8, bits) < 0 ? -1 : 0;
    });
}

int ModbusDevice::AskRevision(std::string *revision)
{
    unsigned char frame[kMaxFrame];
    uint16_t transaction = ++transaction_;
    int length = IdentificationRequest(transaction, (uint8_t)spec_.unit, 2, frame);
    int socket = modbus_get_socket(context_);
    if (!SendAll(socket, frame, (size_t)length))
        return -1;
    length = ReceiveFrame(socket, frame, spec_.timeoutMs, spec_.timeoutMs, -1);
    if (length <= 0) {
        errno = length == kFrameTimeout  ? ETIMEDOUT
                : length == kFrameClosed ? ECONNRESET
                : length == kFrameFailed ? errno
                                         : EMBBADDATA;
        return -1;
    }
    int exception = 0;
    switch (ParseIdentification(frame, length, transaction, (uint8_t)spec_.unit, 2, revision,
                                &exception)) {
    case 1: return 0;
    case 0: revision->clear(); return 0;
    case -1:
        errno = exception >= 1 && exception <= 11 ? MODBUS_ENOBASE + exception : EMBUNKEXC;
        return -1;
    default: errno = EMBBADDATA; return -1;
    }
}

int ModbusDevice::Version(char *version, char *why)
{
    const char *what = "Reading the version of device";
    std::string revision;
    int status = Call(what, why, true, [&] { return AskRevision(&revision); });
    if (status != QM_OK)
        return status;
    if (revision.empty())
        return Fail(why, what, name_, endpoint_,
                    "the module's device identification gives no revision", 0);
    // At most 9 characters, and only printable ones: the panel shows the text as it is.
    size_t n = revision.size() < QM_VERSION_SIZE - 1 ? revision.size() : QM_VERSION_SIZE - 1;
    for (size_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)revision[i];
        version[i] = c >= 0x20 && c < 0x7F ? (char)c : '?';
    }
    version[n] = '\0';
    return QM_OK;
}

}  // namespace qm7300
