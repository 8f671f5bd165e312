// qm7300/sim_server/sim_units.cpp - the simulated devices as Modbus units (see sim_units.h).
#include "qm7300/sim_server/sim_units.h"

#include "qm7300/modbus_frames.h"

#include <modbus/modbus.h>

#include <new>

namespace qm7300 {

namespace {

constexpr int kBits = 16;  // coils and discrete inputs of a unit: two ports of 8

enum Function {
    kReadCoils = 1,
    kReadDiscreteInputs = 2,
    kWriteCoil = 5,
    kWriteCoils = 15,
    kEncapsulated = 43,
};

int Word(const unsigned char *p) { return p[0] << 8 | p[1]; }

// Whether a request's PDU (size bytes) is one served here, in the shape and within the limits
// of its function: 0, or the exception to answer (1 illegal function: the registers and the
// rest are not served; 3 illegal data value). libmodbus reads a request's fields without
// checking them against its length, and answers a count beyond the limits only after waiting
// and dropping what the client sent next.
int CheckRequest(const unsigned char *pdu, int size)
{
    switch (pdu[0]) {
    case kReadCoils:
    case kReadDiscreteInputs:
        return size == 5 && Word(pdu + 3) >= 1 && Word(pdu + 3) <= MODBUS_MAX_READ_BITS ? 0 : 3;
    case kWriteCoil:
        return size == 5 ? 0 : 3;
    case kWriteCoils: {
        if (size < 6)
            return 3;
        int count = Word(pdu + 3), bytes = pdu[5];
        return count >= 1 && count <= MODBUS_MAX_WRITE_BITS && bytes == (count + 7) / 8 &&
                       bytes == size - 6
                   ? 0
                   : 3;
    }
    case kEncapsulated:
        return 0;  // IdentificationAnswer checks its own
    default:
        return 1;
    }
}

// The ports (as a mask of bit 0 for the first, bit 1 for the second) whose bits a request on
// coils or discrete inputs covers; 0 for other requests.
int PortsCovered(const unsigned char *pdu)
{
    int first = Word(pdu + 1);
    int count = pdu[0] == kWriteCoil ? 1 : Word(pdu + 3);
    int mask = 0;
    for (int port = 0; port < 2; port++)
        if (first < (port + 1) * 8 && first + count > port * 8)
            mask |= 1 << port;
    return mask;
}

}  // namespace

SimUnits::SimUnits(const DevicesFile &file)
{
    for (const DeviceSpec &entry : file.devices) {
        if (entry.isNetwork)
            continue;
        units_.emplace_back();
        units_.back().entry = entry;
        units_.back().table = modbus_mapping_new(kBits, kBits, 0, 0);
        if (units_.back().table == nullptr)
            throw std::bad_alloc();
    }
}

SimUnits::~SimUnits()
{
    for (Unit &unit : units_)
        modbus_mapping_free(unit.table);
}

bool SimUnits::Reply(Unit &unit, modbus_t *context, const unsigned char *frame, int length)
{
    const unsigned char *pdu = frame + kMbapLength;
    int function = pdu[0];
    bool onCoils = function == kReadCoils || function == kWriteCoil || function == kWriteCoils;
    bool writes = function == kWriteCoil || function == kWriteCoils;
    int ports = onCoils || function == kReadDiscreteInputs ? PortsCovered(pdu) : 0;
    for (int i = 0; i < 2; i++) {
        int port = onCoils ? 16 + i : i;
        const auto &faults = writes ? unit.entry.failWrite : unit.entry.failRead;
        if ((ports & (1 << i)) != 0 && faults.count(port) != 0)
            return modbus_reply_exception(context, frame, MODBUS_EXCEPTION_SLAVE_OR_SERVER_FAILURE) >= 0;
    }
    for (int i = 0; i < 2; i++) {
        unsigned char input = 0;
        SimRead(unit.entry, unit.latches, i, &input);  // a failing port not asked for reads 0
        modbus_set_bits_from_byte(unit.table->tab_input_bits, i * 8, input);
        modbus_set_bits_from_byte(unit.table->tab_bits, i * 8, unit.latches.out[i]);
    }
    int sent = modbus_reply(context, frame, length, unit.table);
    if (writes) {
        for (int i = 0; i < 2; i++)
            if ((ports & (1 << i)) != 0)
                SimWrite(unit.entry, unit.latches, 16 + i,
                         modbus_get_byte_from_bits(unit.table->tab_bits, i * 8, 8));
    }
    return sent >= 0;
}

bool SimUnits::Answer(modbus_t *context, const unsigned char *frame, int length)
{
    int unitId = frame[6];
    const unsigned char *pdu = frame + kMbapLength;
    if ((pdu[0] & 0x80) != 0)
        return false;  // the codes of exception answers: no client asks with them
    int exception = CheckRequest(pdu, length - kMbapLength);
    if (exception == 0 && (unitId < 1 || unitId > Count()))
        exception = MODBUS_EXCEPTION_GATEWAY_PATH;  // no such unit here
    if (exception != 0)
        return modbus_reply_exception(context, frame, exception) >= 0;

    std::lock_guard<std::mutex> lock(mutex_);
    Unit &unit = units_[unitId - 1];
    if (unit.entry.failOpen)
        return modbus_reply_exception(context, frame, MODBUS_EXCEPTION_GATEWAY_TARGET) >= 0;
    if (pdu[0] != kEncapsulated)
        return Reply(unit, context, frame, length);
    if (unit.entry.failVersion)
        return modbus_reply_exception(context, frame, MODBUS_EXCEPTION_SLAVE_OR_SERVER_FAILURE) >= 0;
    Identity identity;
    identity.objects[0] = "qm7300-suite";
    identity.objects[1] = "QM7300";
    identity.objects[2] = unit.entry.version;
    unsigned char answer[kMaxFrame];
    int size = IdentificationAnswer(frame, length, identity, answer, &exception);
    if (size == 0)
        return modbus_reply_exception(context, frame, exception) >= 0;
    return SendAll(modbus_get_socket(context), answer, (size_t)size);
}

void ServeConnection(int fd, SimUnits &units, int stopFd, int restMs)
{
    // A context of libmodbus's TCP kind on the accepted socket, for its answering calls.
    modbus_t *context = modbus_new_tcp("127.0.0.1", 0);
    if (context == nullptr)
        return;
    modbus_set_socket(context, fd);
    unsigned char frame[kMaxFrame];
    for (;;) {
        int length = ReceiveFrame(fd, frame, -1, restMs, stopFd);
        if (length <= 0)
            break;
        try {
            if (!units.Answer(context, frame, length))
                break;
        } catch (const std::bad_alloc &) {
            break;  // the identification's texts: the client is dropped, the others served
        }
    }
    modbus_free(context);  // leaves the socket to the caller
}

}  // namespace qm7300
