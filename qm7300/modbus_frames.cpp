// qm7300/modbus_frames.cpp - whole Modbus/TCP frames from a socket, and Read Device
// Identification's request and answer (see modbus_frames.h).
//
// A frame is the 7-byte header (transaction, protocol 0, length of what follows, unit) and the
// PDU (function code and data). Read Device Identification's PDU asks 43, 14, read code, object;
// its answer is 43, 14, read code, conformity level, more follows, next object, object count,
// then per object its id, its length and its bytes.
#include "qm7300/modbus_frames.h"

#include <poll.h>
#include <sys/socket.h>
#include <time.h>

#include <cerrno>

namespace qm7300 {

namespace {

constexpr unsigned char kFunction = 43;          // encapsulated interface transport
constexpr unsigned char kMeiIdentification = 14; // its Read Device Identification
constexpr unsigned char kConformity = 0x81;      // basic objects, streamed or one at a time
constexpr int kObjects = 3;

long NowMs()
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000L + t.tv_nsec / 1000000L;
}

// Waits until fd is readable: 1, or kFrameTimeout, kFrameFailed, kFrameStopped.
int WaitReadable(int fd, int stopFd, int timeoutMs)
{
    struct pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    int rc;
    do
        rc = poll(fds, stopFd >= 0 ? 2 : 1, timeoutMs);
    while (rc < 0 && errno == EINTR);
    if (rc == 0)
        return kFrameTimeout;
    if (rc < 0)
        return kFrameFailed;
    if (stopFd >= 0 && fds[1].revents != 0)
        return kFrameStopped;
    return 1;
}

// Reads exactly size bytes by deadline (a NowMs() time, or -1 for none): a FrameStatus, or 1.
int ReadExactly(int fd, unsigned char *data, int size, long deadline, int stopFd)
{
    for (int done = 0; done < size;) {
        int timeout = deadline < 0 ? -1 : (int)(deadline - NowMs());
        if (deadline >= 0 && timeout < 0)
            timeout = 0;
        int ready = WaitReadable(fd, stopFd, timeout);
        if (ready != 1)
            return ready;
        ssize_t n = recv(fd, data + done, size - done, 0);
        if (n == 0 || (n < 0 && (errno == ECONNRESET || errno == ECONNABORTED)))
            return kFrameClosed;
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return kFrameFailed;
        done += n > 0 ? (int)n : 0;
    }
    return 1;
}

void PutHeader(unsigned char *frame, uint16_t transaction, int pduLength, uint8_t unit)
{
    frame[0] = transaction >> 8;
    frame[1] = transaction & 0xFF;
    frame[2] = frame[3] = 0;
    frame[4] = (pduLength + 1) >> 8;
    frame[5] = (pduLength + 1) & 0xFF;
    frame[6] = unit;
}

}  // namespace

int ReceiveFrame(int fd, unsigned char *frame, int firstMs, int restMs, int stopFd)
{
    int ready = WaitReadable(fd, stopFd, firstMs);
    if (ready != 1)
        return ready;
    long deadline = NowMs() + restMs;
    int rc = ReadExactly(fd, frame, kMbapLength, deadline, stopFd);
    if (rc != 1)
        return rc;
    // Protocol 0, and at least the unit and a function code, at most a whole frame.
    int length = frame[4] << 8 | frame[5];
    if (frame[2] != 0 || frame[3] != 0 || length < 2 || length > kMaxFrame - kMbapLength + 1)
        return kFrameNotModbus;
    rc = ReadExactly(fd, frame + kMbapLength, length - 1, deadline, stopFd);
    return rc == 1 ? kMbapLength - 1 + length : rc;
}

bool SendAll(int fd, const unsigned char *data, size_t size)
{
    while (size > 0) {
        ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            // libmodbus's sockets do not block: wait for room.
            struct pollfd p = {fd, POLLOUT, 0};
            if (poll(&p, 1, -1) < 0 && errno != EINTR)
                return false;
            continue;
        }
        if (n <= 0)
            return false;
        data += n;
        size -= (size_t)n;
    }
    return true;
}

int IdentificationRequest(uint16_t transaction, uint8_t unit, uint8_t object, unsigned char *frame)
{
    const unsigned char pdu[] = {kFunction, kMeiIdentification, 4 /* one object */, object};
    PutHeader(frame, transaction, sizeof pdu, unit);
    for (size_t i = 0; i < sizeof pdu; i++)
        frame[kMbapLength + i] = pdu[i];
    return kMbapLength + (int)sizeof pdu;
}

int IdentificationAnswer(const unsigned char *request, int length, const Identity &identity,
                         unsigned char *answer, int *exception)
{
    const unsigned char *pdu = request + kMbapLength;
    if (length != kMbapLength + 4) {
        *exception = 3;  // illegal data value: not the four bytes of this request
        return 0;
    }
    if (pdu[1] != kMeiIdentification) {
        *exception = 1;  // illegal function: another interface of function 43
        return 0;
    }
    int code = pdu[2], first = pdu[3], last = kObjects - 1;
    if (code == 4) {
        if (first > last) {
            *exception = 2;  // illegal data address: no such object
            return 0;
        }
        last = first;
    } else if (code >= 1 && code <= 3) {
        // A stream from the object asked for; one this device does not have starts it afresh.
        if (first > last)
            first = 0;
    } else {
        *exception = 3;
        return 0;
    }
    unsigned char *out = answer + kMbapLength;
    int n = 0;
    out[n++] = kFunction;
    out[n++] = kMeiIdentification;
    out[n++] = (unsigned char)code;
    out[n++] = kConformity;
    out[n++] = 0;  // no more follows
    out[n++] = 0;  // next object
    out[n++] = (unsigned char)(last - first + 1);
    for (int id = first; id <= last; id++) {
        // The objects are short texts of the device's own (the version has at most 9
        // characters), so they always fit; a longer one is cut to keep the frame whole.
        const std::string &text = identity.objects[id];
        size_t size = text.size() > 64 ? 64 : text.size();
        out[n++] = (unsigned char)id;
        out[n++] = (unsigned char)size;
        for (size_t i = 0; i < size; i++)
            out[n++] = (unsigned char)text[i];
    }
    PutHeader(answer, (uint16_t)(request[0] << 8 | request[1]), n, request[6]);
    return kMbapLength + n;
}

int ParseIdentification(const unsigned char *answer, int length, uint16_t transaction,
                        uint8_t unit, uint8_t object, std::string *text, int *exception)
{
    if (length < kMbapLength + 2 || (answer[0] << 8 | answer[1]) != transaction ||
        answer[6] != unit)
        return -2;
    const unsigned char *pdu = answer + kMbapLength;
    int size = length - kMbapLength;
    if (pdu[0] == (kFunction | 0x80)) {
        *exception = pdu[1];
        return -1;
    }
    if (pdu[0] != kFunction || size < 7 || pdu[1] != kMeiIdentification)
        return -2;
    int count = pdu[6];
    int at = 7;
    for (int i = 0; i < count; i++) {
        if (at + 2 > size || at + 2 + pdu[at + 1] > size)
            return -2;
        if (pdu[at] == object) {
            text->assign((const char *)pdu + at + 2, pdu[at + 1]);
            return 1;
        }
        at += 2 + pdu[at + 1];
    }
    return 0;
}

}  // namespace qm7300
