// Fuzz target for qm7300-sim's handling of what a client sends: any bytes in, and out, in order,
// one whole Modbus/TCP answer to each whole request (same transaction, unit and function, or
// its exception), then a clean close; never a fault, a hang or a stray byte.
#include "qm7300/modbus_frames.h"
#include "qm7300/sim_server/sim_units.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using qm7300::kMbapLength;

// Units with every kind of behaviour: loopback, a fixed input, failing ports, a version, and a
// device that fails to open.
qm7300::SimUnits &Units()
{
    static qm7300::SimUnits units(qm7300::ParseDevicesFile(
        "device A\ndevice B\n  input 0 7\n  fail read 1 x\n  fail write 17 y\n  version 3.1\n"
        "device C\n  fail open\n",
        "fuzz"));
    return units;
}

int Word(const uint8_t *p) { return p[0] << 8 | p[1]; }

// The length of the whole frame at data (size bytes left), or 0 when there is none.
size_t FrameAt(const uint8_t *data, size_t size)
{
    if (size < (size_t)kMbapLength || Word(data + 2) != 0)
        return 0;
    size_t length = Word(data + 4);
    if (length < 2 || length > qm7300::kMaxFrame - kMbapLength + 1 || size < 6 + length)
        return 0;
    return 6 + length;
}

// The length of the request at data, or 0: the server answers requests and closes the
// connection at the first frame that is none (a function code of an exception answer).
size_t RequestAt(const uint8_t *data, size_t size)
{
    size_t frame = FrameAt(data, size);
    return frame != 0 && data[kMbapLength] < 0x80 ? frame : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The whole input waits in the socket before the server reads it (a socket holds this much),
    // and its end with it; a thread takes in the answers as they come.
    if (size > 65536)
        return 0;
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0 ||
        !qm7300::SendAll(fds[0], data, size) || shutdown(fds[0], SHUT_WR) != 0)
        abort();
    std::string answers;
    std::thread reader([&] {
        char chunk[4096];
        ssize_t n;
        while ((n = read(fds[0], chunk, sizeof chunk)) > 0)
            answers.append(chunk, (size_t)n);
    });
    qm7300::ServeConnection(fds[1], Units(), -1, 60000);
    close(fds[1]);
    reader.join();
    close(fds[0]);

    // Each answer belongs to the request in the same place.
    const uint8_t *out = (const uint8_t *)answers.data();
    size_t left = answers.size();
    for (size_t at = 0, frame; (frame = RequestAt(data + at, size - at)) != 0; at += frame) {
        size_t answer = FrameAt(out, left);
        const uint8_t *request = data + at;
        if (answer == 0 || Word(out) != Word(request) || out[6] != request[6] ||
            (out[kMbapLength] & 0x7F) != request[kMbapLength])
            abort();
        if ((out[kMbapLength] & 0x80) != 0 && (answer != kMbapLength + 2u || out[8] < 1 || out[8] > 11))
            abort();
        out += answer;
        left -= answer;
    }
    if (left != 0)
        abort();
    return 0;
}
